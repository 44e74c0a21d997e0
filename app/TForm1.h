#pragma once
// The bar: a borderless, always-on-top strip at the top of the screen that
// shows the web application and hides above the screen while not in use.
#include "AccountBar.h"
#include "BarAnimation.h"
#include "Desktop.h"
#include "InstanceGuard.h"
#include "PreferencesBar.h"

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

namespace Ui {
class TForm1;
}
class BarWndProc;

// The hook library's two calls; the program passes the real ones, tests fakes.
struct MouseHookCalls {
    std::function<void()> HookMouse;
    std::function<void()> UnHookMouse;
};

class TForm1 : public QWidget, public PreferencesBar, public AccountBar {
    Q_OBJECT
public:
    TForm1(const Desktop &desktop, MouseHookCalls hook, QWidget *parent = nullptr);
    ~TForm1() override;

    // Start-up and end.
    void FormCreate();
    void FormDestroy();
    void PlaceBar(int index) override;

    // Buttons and the name label.
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void Panel4Click();

    // Activation by strokes along the top edge.
    void HandleHookMessage(std::uint8_t code);

    // Show and hide animation.
    void StartGlow() override;
    void StartFade();
    void GlowTimer();
    void FadeTimer();
    void HideTimerTimer();

    // Updater launches.
    void UpdateTimer();

    // The bar's browser rules.
    void WebBrowser1BeforeNavigate2(const QString &address, bool &cancel);
    void WebBrowser1DocumentComplete();

    // Geometry as the other windows see it.
    int Left() const override { return x(); }
    int Top() const { return y(); }
    int Width() const override { return width(); }
    int Height() const override { return height(); }
    void SetLeft(int left) { move(left, y()); }
    void SetTop(int top) { move(x(), top); }
    void SetWidth(int width) override;
    void SetHeight(int height) override;

    // Settings held program-wide.
    std::int32_t Sensitivity() const override;
    void SetSensitivity(std::int32_t value) override;
    std::int32_t TopPos() const override;
    void SetTopPos(std::int32_t value) override;

    void NavigateHome() override;

    // The 8-bit blend value: Zorvel's own, never read back from Qt, which rounds.
    std::uint8_t BlendValue() const { return m_blendValue; }
    void SetBlendValue(std::uint8_t value);

    Browser &WebBrowser1() { return *m_browser; }
    const Desktop &desktop() const { return m_desktop; }

    QTimer HideTimer;
    QTimer Fade;
    QTimer Glow;
    QTimer Update;
    // Refuses a second copy of the program (mode oiDefaultMessage).
    InstanceGuard LMDOneInstance1;

protected:
    // The bar is the main window: closing it, however asked, ends the program.
    void closeEvent(QCloseEvent *event) override;

private:
    Desktop m_desktop;
    MouseHookCalls m_hook;
    std::unique_ptr<Ui::TForm1> ui;
    std::unique_ptr<Browser> m_browser;
    std::uint8_t m_blendValue = 255;
    // Hands the hook library's messages to HandleHookMessage.
    std::unique_ptr<BarWndProc> m_wndProc;
};

// Program-wide state beside the bar.
extern TForm1 *Form1;
extern std::int32_t Sensitivity;
extern std::int32_t TopPos;
extern std::int32_t StrokeCount;
extern std::int32_t GlowStep;
extern std::int32_t FadeStep;

// Formats the version stamped into the named program file; empty when it has none.
QString ReadVersionString(const QString &fileName, const char *format);
