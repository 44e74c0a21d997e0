#pragma once
// The preferences dialog: activation sensitivity, the bar's size and place,
// the update check, the budget types and user pages of the web application,
// and the About page. Its Apply step changes the running bar at once and
// saves the settings.
#include "Desktop.h"

#include <QWidget>

#include <memory>

namespace Ui {
class TPreferences;
}
class PreferencesBar;
class QTabWidget;

class TPreferences : public QWidget {
    Q_OBJECT
public:
    // A hidden dialog at its designed place, 669, 260, filled by FormCreate;
    // its two pages have started loading in browsers made by the desktop.
    TPreferences(PreferencesBar &bar, const Desktop &desktop);
    ~TPreferences() override;

    void FormCreate();
    void Button1Click();  // Check Now
    void Button2Click();  // OK
    void Button3Click();  // Cancel
    void Button4Click();  // Apply
    void DefaultsClick();
    void TrackBar2Change();
    void TrackBar3Change();
    void Label11Click();

    QTabWidget *Tabs() const;
    Browser &WebBrowser1() { return *m_browser1; }
    Browser &WebBrowser2() { return *m_browser2; }

    // The radio group's choice: 0, 1 or 2, or -1 while none is marked.
    int RadioGroup1ItemIndex() const;
    // Marks a choice; a value above 2 marks the last, one below -1 marks none.
    void SetRadioGroup1ItemIndex(int index);

protected:
    // Every close request only hides the dialog; it lives until the program ends.
    void closeEvent(QCloseEvent *event) override;

private:
    PreferencesBar &m_bar;
    Desktop m_desktop;
    std::unique_ptr<Ui::TPreferences> ui;
    std::unique_ptr<Browser> m_browser1;
    std::unique_ptr<Browser> m_browser2;
};
