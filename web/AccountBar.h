#pragma once
// What an account window needs of the bar it opens under.
class AccountBar {
public:
    virtual ~AccountBar() = default;
    virtual int Left() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Sends the bar's browser to the home page.
    virtual void NavigateHome() = 0;
};
