#include "TPreferences.h"
#include "ui_TPreferences.h"

#include "ClickFilter.h"
#include "ErrorReporter.h"
#include "IntegerText.h"
#include "LoadSaveSettings.h"
#include "PreferencesBar.h"
#include "SettingsTable.h"
#include "Shell.h"
#include "SliderThumbStyle.h"
#include "UpdaterLaunch.h"
#include "WebAddresses.h"
#include "X11Windows.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include <array>

// The emblem lives in this static library: its resource must be registered by
// name, or the linker drops it.
static void registerEmblem()
{
    Q_INIT_RESOURCE(emblem);
}

namespace {
// The dialog's designed place on the screen, where every new dialog opens.
constexpr int DesignedLeft = 669;
constexpr int DesignedTop = 260;
constexpr int ClientWidth = 356;
constexpr int ClientHeight = 375;

QFont fontOf(std::initializer_list<QString> families, int pixelSize, bool bold = false)
{
    QFont font;
    font.setFamilies(QStringList(families));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

std::unique_ptr<Browser> browserFilling(const Desktop &desktop, QWidget *placeholder)
{
    std::unique_ptr<Browser> browser = desktop.newBrowser(placeholder);
    auto *layout = new QVBoxLayout(placeholder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser->widget());
    return browser;
}
}

TPreferences::TPreferences(PreferencesBar &bar, const Desktop &desktop)
    : QWidget(nullptr,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                  | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      m_bar(bar), m_desktop(desktop), ui(std::make_unique<Ui::TPreferences>())
{
    registerEmblem();
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose, false);
    // "MS Sans Serif" at a character height of 11 px, or the faces that stand in for it.
    setFont(fontOf({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")}, 11));
    ui->Label9->setFont(fontOf({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")}, 27, true));
    QFont link = font();
    link.setUnderline(true);
    ui->Label11->setFont(link);
    ui->Label11->setStyleSheet(QStringLiteral("#Label11 { color: rgb(0,0,128); }"));
    ui->Label11->setText(QStringLiteral(ZORVEL_MAKER_URL));
    new ClickFilter(ui->Label11, [this] { Label11Click(); });
    // Labels without a designed size take the size of their text.
    for (QLabel *label : {ui->Label1, ui->Label2, ui->Label5, ui->Label6, ui->Label7, ui->Label8, ui->Label9,
                          ui->Label10, ui->Label11, ui->Label12})
        label->adjustSize();
    for (QSlider *slider : {ui->TrackBar1, ui->TrackBar2, ui->TrackBar3})
        SliderThumbStyle::Apply(slider);

    setFixedSize(ClientWidth, ClientHeight);
    // move() places the frame, as the dialog's Left and Top do; a window
    // manager is told that the position is the program's own choice.
    move(DesignedLeft, DesignedTop);

    // The browsers show the two pages and nothing more: no navigation rule
    // of the bar applies to them, links open in the same browser.
    m_browser1 = browserFilling(m_desktop, ui->WebBrowser1);
    m_browser2 = browserFilling(m_desktop, ui->WebBrowser2);

    const auto guarded = [this](void (TPreferences::*handler)()) {
        return [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); };
    };
    connect(ui->Button1, &QPushButton::clicked, this, guarded(&TPreferences::Button1Click));
    connect(ui->Button2, &QPushButton::clicked, this, guarded(&TPreferences::Button2Click));
    connect(ui->Button3, &QPushButton::clicked, this, guarded(&TPreferences::Button3Click));
    connect(ui->Button4, &QPushButton::clicked, this, guarded(&TPreferences::Button4Click));
    connect(ui->Defaults, &QPushButton::clicked, this, guarded(&TPreferences::DefaultsClick));
    // valueChanged comes only when the position really changes, after
    // clamping, whether the user or the dialog moved the slider.
    connect(ui->TrackBar2, &QSlider::valueChanged, this, guarded(&TPreferences::TrackBar2Change));
    connect(ui->TrackBar3, &QSlider::valueChanged, this, guarded(&TPreferences::TrackBar3Change));

    X11Windows::KeepOutOfTaskbar(this);

    runGuarded([this] { FormCreate(); });
}

TPreferences::~TPreferences() = default;

QTabWidget *TPreferences::Tabs() const
{
    return ui->Tabs;
}

void TPreferences::FormCreate()
{
    m_browser1->Navigate(PageUrl(Page::ManageTypes));
    m_browser2->Navigate(PageUrl(Page::ModUser));
    ui->TrackBar1->setValue(m_bar.Sensitivity());
    ui->Edit1->setText(QString::number(m_bar.Height()));
    ui->Edit2->setText(QString::number(m_bar.Width()));
    // Out-of-range sizes end at the sliders' limits, and the change handlers
    // then show those limits in the edit boxes.
    ui->TrackBar2->setValue(m_bar.Height());
    ui->TrackBar3->setValue(m_bar.Width());
    SetRadioGroup1ItemIndex(m_bar.TopPos());
}

void TPreferences::Button1Click()
{
    LaunchUpdater(*m_desktop.shell, this, CheckNowUpdaterPath(), QLatin1String(CheckNowSwitch));
}

void TPreferences::Button2Click()
{
    // A failing Apply throws past the closing: the dialog stays open.
    Button4Click();
    close();
}

void TPreferences::Button3Click()
{
    close();
}

void TPreferences::Button4Click()
{
    // Each step takes effect before the next can fail; what changed before a
    // fault stays changed, and nothing after it runs.
    m_bar.SetSensitivity(ui->TrackBar1->value());
    m_bar.SetHeight(StrToInt(ui->Edit1->text()));
    m_bar.SetWidth(StrToInt(ui->Edit2->text()));
    m_bar.SetTopPos(RadioGroup1ItemIndex());
    m_bar.PlaceBar(m_bar.TopPos());
    SaveSettings(m_bar);
    m_bar.NavigateHome();
    m_bar.StartGlow();
}

void TPreferences::DefaultsClick()
{
    // The same defaults as a config.ini without the keys gives.
    ui->TrackBar1->setValue(kDefaultSensitivity);
    ui->Edit1->setText(QString::number(kDefaultHeight));
    ui->Edit2->setText(QString::number(kDefaultWidth));
    ui->TrackBar2->setValue(kDefaultHeight);
    ui->TrackBar3->setValue(kDefaultWidth);
    SetRadioGroup1ItemIndex(kDefaultTopPos);
    Button4Click();
}

void TPreferences::TrackBar2Change()
{
    ui->Edit1->setText(QString::number(ui->TrackBar2->value()));
}

void TPreferences::TrackBar3Change()
{
    ui->Edit2->setText(QString::number(ui->TrackBar3->value()));
}

void TPreferences::Label11Click()
{
    m_desktop.shell->OpenUrl(this, QStringLiteral(ZORVEL_MAKER_URL));
}

int TPreferences::RadioGroup1ItemIndex() const
{
    const std::array<QRadioButton *, 3> choices{ui->RadioGroup1Left, ui->RadioGroup1Center, ui->RadioGroup1Right};
    for (int i = 0; i < int(choices.size()); ++i)
        if (choices[i]->isChecked())
            return i;
    return -1;
}

void TPreferences::SetRadioGroup1ItemIndex(int index)
{
    const std::array<QRadioButton *, 3> choices{ui->RadioGroup1Left, ui->RadioGroup1Center, ui->RadioGroup1Right};
    index = std::clamp(index, -1, int(choices.size()) - 1);
    if (index >= 0) {
        choices[index]->setChecked(true);
        return;
    }
    // Exclusive buttons refuse to uncheck the last one checked.
    for (QRadioButton *choice : choices) {
        choice->setAutoExclusive(false);
        choice->setChecked(false);
        choice->setAutoExclusive(true);
    }
}

void TPreferences::closeEvent(QCloseEvent *event)
{
    // Accepted: the dialog hides and is never shown again.
    event->accept();
}
