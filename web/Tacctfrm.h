#pragma once
// The account window: a borderless strip under the bar that shows one account
// page of the web application and grows to fit its text.
#include "AccountBar.h"
#include "Desktop.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>

namespace Ui {
class Tacctfrm;
}

class Tacctfrm : public QWidget {
    Q_OBJECT
public:
    // A hidden window of 346 x 19 whose browser is made by the desktop;
    // OpenAccountWindow runs its FormCreate, places it and shows it.
    Tacctfrm(AccountBar &bar, const Desktop &desktop);
    ~Tacctfrm() override;

    void FormCreate();
    void FormClose();
    void SpeedButton1Click();
    void GlowTimer();
    void WebBrowser1BeforeNavigate2(const QString &address, bool &cancel);
    void WebBrowser1DocumentComplete();

    // Asks the window to close: FormClose runs, also when the window is
    // hidden already, and the window is hidden.
    void Close();

    // Lines of Memo1's text as the box shows them: wrapped at its width in its
    // font, less one when the last line is empty.
    int Memo1LineCount() const;

    int Left() const { return x(); }
    int Top() const { return y(); }
    int Width() const { return width(); }
    int Height() const { return height(); }
    void SetLeft(int left) { move(left, y()); }
    void SetTop(int top) { move(x(), top); }
    void SetHeight(int height) { resize(width(), height); }

    Browser &WebBrowser1() { return *m_browser; }
    QWidget *Panel4() const;
    QWidget *Memo1() const;

    // Growth ticks, 5 ms.
    QTimer Glow;

protected:
    // Every close request, whoever makes it, runs FormClose and only hides the window.
    void closeEvent(QCloseEvent *event) override;

private:
    AccountBar &m_bar;
    std::unique_ptr<Ui::Tacctfrm> ui;
    std::unique_ptr<Browser> m_browser;
};

// The latest account window; empty until the first one opens, never cleared by
// the program (a guarded pointer, so that it is empty again, not dangling, once
// the window is destroyed as the program ends).
extern QPointer<Tacctfrm> acctfrm;
// Shared by every account window, replaced and closed ones included.
extern std::int32_t GrowStep;
extern std::int32_t TargetHeight;

// The bar that account windows open under and the desktop that makes their
// browsers. The bar calls it before its rules can open a window.
void AccountWindowsOpenUnder(AccountBar &bar, const Desktop &desktop);

// Closes the current account window (the bar goes home), then opens a new one
// centred under the bar at Top = the bar's Height, on the given address.
void OpenAccountWindow(const QString &address);
