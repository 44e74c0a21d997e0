#include "TForm1.h"
#include "ui_TForm1.h"

#include "Anchors.h"
#include "ClickFilter.h"
#include "ApplicationWindows.h"
#include "BarWndProc.h"
#include "ErrorReporter.h"
#include "FileVersion.h"
#include "LoadSaveSettings.h"
#include "ProgramLookup.h"
#include "ScreenPointer.h"
#include "Shell.h"
#include "TPreferences.h"
#include "UpdaterLaunch.h"
#include "WebAddresses.h"
#include "X11Windows.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QTabWidget>

TForm1 *Form1 = nullptr;
std::int32_t Sensitivity = 0;
std::int32_t TopPos = 0;
std::int32_t StrokeCount = 0;
std::int32_t GlowStep = 0;
std::int32_t FadeStep = 0;

TForm1::TForm1(const Desktop &desktop, MouseHookCalls hook, QWidget *parent)
    : QWidget(parent,
              Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                  | Qt::X11BypassWindowManagerHint | Qt::NoDropShadowWindowHint),
      m_desktop(desktop), m_hook(std::move(hook)), ui(std::make_unique<Ui::TForm1>())
{
    ui->setupUi(this);
    // The designed position; the platform does not centre the window.
    move(279, 0);
    setAttribute(Qt::WA_DeleteOnClose, false);

    // The browser fills its holder, which is larger than the clipping panel
    // around it, so that the browser's border and scroll bar never show.
    m_browser = m_desktop.newBrowser(ui->WebBrowser1);
    m_browser->widget()->setGeometry(ui->WebBrowser1->rect());
    m_browser->OnBeforeNavigate = [this](const QString &address, bool &cancel) {
        WebBrowser1BeforeNavigate2(address, cancel);
    };
    m_browser->OnDocumentComplete = [this] { WebBrowser1DocumentComplete(); };

    Anchors::Attach(ui->Shape1, Anchors::All);
    Anchors::Attach(ui->Panel2, Anchors::All);
    Anchors::Attach(ui->Panel1, Anchors::All);
    Anchors::Attach(ui->WebBrowser1, Anchors::All);
    Anchors::Attach(m_browser->widget(), Anchors::All);
    Anchors::Attach(ui->Panel4, Anchors::Left | Anchors::Top);
    Anchors::Attach(ui->Panel3, Anchors::Top | Anchors::Right);
    Anchors::Attach(ui->Panel5, Anchors::Right | Anchors::Bottom);

    const auto guarded = [this](void (TForm1::*handler)()) {
        return [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); };
    };
    connect(ui->SpeedButton1, &QToolButton::clicked, this, guarded(&TForm1::SpeedButton1Click));
    connect(ui->SpeedButton2, &QToolButton::clicked, this, guarded(&TForm1::SpeedButton2Click));
    connect(ui->SpeedButton3, &QToolButton::clicked, this, guarded(&TForm1::SpeedButton3Click));
    connect(ui->SpeedButton4, &QToolButton::clicked, this, guarded(&TForm1::SpeedButton4Click));
    connect(ui->SpeedButton5, &QToolButton::clicked, this, guarded(&TForm1::SpeedButton5Click));
    new ClickFilter(ui->Panel4, [this] { Panel4Click(); });

    HideTimer.setInterval(BarAnimation::FirstHideCheckMs);
    Fade.setInterval(10);
    Glow.setInterval(10);
    Update.setInterval(60000);
    Fade.setTimerType(Qt::PreciseTimer);
    Glow.setTimerType(Qt::PreciseTimer);
    connect(&HideTimer, &QTimer::timeout, this, guarded(&TForm1::HideTimerTimer));
    connect(&Fade, &QTimer::timeout, this, guarded(&TForm1::FadeTimer));
    connect(&Glow, &QTimer::timeout, this, guarded(&TForm1::GlowTimer));
    connect(&Update, &QTimer::timeout, this, guarded(&TForm1::UpdateTimer));
    HideTimer.start();
    Update.start();

    X11Windows::KeepOutOfTaskbar(this);
    X11Windows::KeepAboveAndFocusOnClick(this);
    m_wndProc = std::make_unique<BarWndProc>(*this, [this](std::uint8_t code) {
        runGuarded([this, code] { HandleHookMessage(code); });
    });

    // The single-instance guard acts once the components exist, before FormCreate.
    runGuarded([this] { LMDOneInstance1.Act(); });
    runGuarded([this] { FormCreate(); });
}

TForm1::~TForm1()
{
    runGuarded([this] { FormDestroy(); });
}

void TForm1::FormCreate()
{
    m_browser->Navigate(HomeUrl());
    m_hook.HookMouse();
    // The bar bypasses the window manager and carries no taskbar entry;
    // KeepOutOfTaskbar in the constructor has set the window states.
    LaunchUpdater(*m_desktop.shell, this, QLatin1String(UpdaterProgram), QLatin1String(SilentCheckSwitch));
    LoadSettings(*this);
    ui->Panel4->setText(QStringLiteral("Zorvel ") + ReadVersionString(QStringLiteral("zorvel"), "%d.%d.%d"));
    PlaceBar(::TopPos);
    ::StrokeCount = 0;
}

void TForm1::FormDestroy()
{
    m_hook.UnHookMouse();
}

void TForm1::PlaceBar(int index)
{
    const int screenWidth = m_desktop.screen->PrimaryScreenWidth();
    switch (index) {
    case 0:
        SetLeft(0);
        break;
    case 1:
        // Each half is floored on its own: 1366 and 811 give 683 - 405.
        SetLeft(screenWidth / 2 - width() / 2);
        break;
    case 2:
        SetLeft(screenWidth - width());
        break;
    default:
        break;
    }
}

void TForm1::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    QCoreApplication::quit();
}

void TForm1::SpeedButton1Click()
{
    close();
}

void TForm1::SpeedButton2Click()
{
    StartFade();
}

namespace {
// A fresh dialog every time, owned by the application and held nowhere else:
// a closed one only hides and lives, unused, until the program ends.
TPreferences *OpenPreferences(PreferencesBar &bar, const Desktop &desktop)
{
    auto *dialog = new TPreferences(bar, desktop);
    ApplicationWindows::Adopt(dialog);
    dialog->show();
    return dialog;
}
}

void TForm1::SpeedButton3Click()
{
    OpenPreferences(*this, m_desktop);
}

void TForm1::SpeedButton4Click()
{
    TPreferences *dialog = OpenPreferences(*this, m_desktop);
    // The page after the active one whose tab is visible, going round; a new
    // dialog stands on Application, so this is Budget Types.
    QTabWidget *tabs = dialog->Tabs();
    for (int step = 1; step < tabs->count(); ++step) {
        const int page = (tabs->currentIndex() + step) % tabs->count();
        if (tabs->isTabVisible(page)) {
            tabs->setCurrentIndex(page);
            break;
        }
    }
}

void TForm1::SpeedButton5Click()
{
    m_browser->Navigate(PageUrl(Page::Logout));
}

void TForm1::Panel4Click()
{
    m_desktop.shell->OpenUrl(this, QStringLiteral(ZORVEL_ARTICLE_URL));
}

std::int32_t TForm1::Sensitivity() const
{
    return ::Sensitivity;
}

void TForm1::SetSensitivity(std::int32_t value)
{
    ::Sensitivity = value;
}

std::int32_t TForm1::TopPos() const
{
    return ::TopPos;
}

void TForm1::SetTopPos(std::int32_t value)
{
    ::TopPos = value;
}

void TForm1::SetWidth(int width)
{
    resize(width, height());
    Anchors::Relayout(this);
}

void TForm1::SetHeight(int height)
{
    resize(width(), height);
    Anchors::Relayout(this);
}

void TForm1::NavigateHome()
{
    m_browser->Navigate(HomeUrl());
}

void TForm1::SetBlendValue(std::uint8_t value)
{
    m_blendValue = value;
    setWindowOpacity(value / 255.0);
}

QString ReadVersionString(const QString &fileName, const char *format)
{
    const std::optional<FileVersion> version = readFileVersion(locateProgramFile(fileName, false));
    if (!version)
        return {};
    const FileVersion &v = *version;
    return QString::asprintf(format, int(v[0]), int(v[1]), int(v[2]), int(v[3]));
}
