#include "Tacctfrm.h"
#include "ui_Tacctfrm.h"

#include "AccountPageHeight.h"
#include "AfterNavigationRequest.h"
#include "Anchors.h"
#include "ApplicationWindows.h"
#include "ErrorReporter.h"
#include "PageText.h"
#include "WebAddresses.h"
#include "X11Windows.h"

#include <QAbstractTextDocumentLayout>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QVBoxLayout>

#include <algorithm>

QPointer<Tacctfrm> acctfrm;
std::int32_t GrowStep = 0;
std::int32_t TargetHeight = 0;

namespace {
AccountBar *hostBar = nullptr;
Desktop hostDesktop;
}

Tacctfrm::Tacctfrm(AccountBar &bar, const Desktop &desktop)
    : QWidget(nullptr,
              Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                  | Qt::X11BypassWindowManagerHint | Qt::NoDropShadowWindowHint),
      m_bar(bar), ui(std::make_unique<Ui::Tacctfrm>())
{
    ui->setupUi(this);
    // "MS Sans Serif" at a character height of 11 px, or the metric-compatible
    // face that stands in for it; Memo1 counts lines in whichever is in force.
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial")});
    font.setPixelSize(11);
    setFont(font);
    ui->Memo1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

    // The browser fills its holder, which is larger than the clipping panel
    // around it, so that the browser's border and scroll bar never show.
    m_browser = desktop.newBrowser(ui->WebBrowser1);
    auto *holder = new QVBoxLayout(ui->WebBrowser1);
    holder->setContentsMargins(0, 0, 0, 0);
    holder->addWidget(m_browser->widget());
    m_browser->OnBeforeNavigate = [this](const QString &address, bool &cancel) {
        WebBrowser1BeforeNavigate2(address, cancel);
    };
    m_browser->OnDocumentComplete = [this] { WebBrowser1DocumentComplete(); };
    // The cover lies over the browser until the first growth ends.
    ui->Panel4->raise();

    Anchors::Attach(ui->Shape1, Anchors::All);
    Anchors::Attach(ui->Panel2, Anchors::All);
    Anchors::Attach(ui->Panel1, Anchors::All);
    Anchors::Attach(ui->WebBrowser1, Anchors::All);
    Anchors::Attach(ui->Memo1, Anchors::Left | Anchors::Top);
    Anchors::Attach(ui->Panel4, Anchors::All);
    Anchors::Attach(ui->Panel3, Anchors::Top | Anchors::Right);
    Anchors::Attach(ui->SpeedButton1, Anchors::Left | Anchors::Top);

    connect(ui->SpeedButton1, &QToolButton::clicked, this, [this] { runGuarded([this] { SpeedButton1Click(); }); });
    Glow.setInterval(5);
    Glow.setTimerType(Qt::PreciseTimer);
    connect(&Glow, &QTimer::timeout, this, [this] { runGuarded([this] { GlowTimer(); }); });

    X11Windows::KeepOutOfTaskbar(this);
    X11Windows::KeepAboveAndFocusOnClick(this);
}

Tacctfrm::~Tacctfrm() = default;

QWidget *Tacctfrm::Panel4() const
{
    return ui->Panel4;
}

QWidget *Tacctfrm::Memo1() const
{
    return ui->Memo1;
}

void Tacctfrm::FormCreate()
{
    GrowStep = 0;
    ui->Panel4->setVisible(true);
    QCoreApplication::processEvents();
}

void Tacctfrm::closeEvent(QCloseEvent *event)
{
    runGuarded([this] { FormClose(); });
    // Accepted: the window is hidden, never destroyed before the program ends.
    event->accept();
}

void Tacctfrm::FormClose()
{
    m_bar.NavigateHome();
}

void Tacctfrm::Close()
{
    // QWidget::close() sends no close event to a window that is hidden.
    FormClose();
    hide();
}

void Tacctfrm::SpeedButton1Click()
{
    Close();
}

void Tacctfrm::WebBrowser1BeforeNavigate2(const QString &address, bool &cancel)
{
    if (!ContainsText(address, QLatin1String(Pattern::FlowEnd)))
        return;
    cancel = true;
    // Closing sends the bar's browser home and hides this browser: not from
    // inside this browser's navigation request.
    RunAfterNavigationRequest(this, [this] { Close(); });
}

void Tacctfrm::WebBrowser1DocumentComplete()
{
    const std::optional<QString> text = ReadPageText(*m_browser);
    if (!text)
        return;
    // The box takes CR LF, a lone CR and a lone LF each as one line break.
    QString memoText = AccountMemoText(*text);
    memoText.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    ui->Memo1->setPlainText(memoText);
    TargetHeight = AccountHeightForLines(Memo1LineCount());
    // A growth under way goes on from where it is.
    if (!Glow.isActive())
        Glow.start();
}

int Tacctfrm::Memo1LineCount() const
{
    // Memo1 is never shown, so its own layout never learns its width: lay its
    // text out the way it would show it, at the width inside its frame (it
    // has no scroll bars), with its margins, font and wrapping.
    QTextDocument shown;
    shown.setDefaultFont(ui->Memo1->font());
    shown.setDefaultTextOption(ui->Memo1->document()->defaultTextOption());
    shown.setDocumentMargin(ui->Memo1->document()->documentMargin());
    shown.setPlainText(ui->Memo1->toPlainText());
    shown.setTextWidth(ui->Memo1->contentsRect().width());
    shown.documentLayout()->documentSize(); // lays out every block
    int lines = 0;
    for (QTextBlock block = shown.begin(); block.isValid(); block = block.next())
        lines += std::max(1, block.layout()->lineCount());
    if (shown.lastBlock().text().isEmpty())
        --lines;
    return lines;
}

void Tacctfrm::GlowTimer()
{
    SetHeight(2 * GrowStep);
    // Other handlers run here, further growth ticks of other windows among them.
    QCoreApplication::processEvents();
    GrowStep += std::max<std::int32_t>(GrowStep, 1);
    if (std::int64_t(Height()) + 2 * std::int64_t(GrowStep) > TargetHeight) {
        SetHeight(TargetHeight);
        Glow.stop();
        ui->Panel4->setVisible(false);
    }
}

void AccountWindowsOpenUnder(AccountBar &bar, const Desktop &desktop)
{
    hostBar = &bar;
    hostDesktop = desktop;
}

void OpenAccountWindow(const QString &address)
{
    if (!hostBar)
        throw ZorvelError(QStringLiteral("There is no bar to open the account window under"));
    AccountBar &bar = *hostBar;
    if (acctfrm)
        acctfrm->Close();
    auto *window = new Tacctfrm(bar, hostDesktop);
    ApplicationWindows::Adopt(window);
    // Stored before FormCreate lets pending events run, so that an account
    // link handled there replaces this window instead of being replaced by it.
    acctfrm = window;
    window->FormCreate();
    if (acctfrm != window)
        return;
    window->WebBrowser1().Navigate(address);
    window->SetTop(bar.Height());
    // Each half floored on its own: 810 wide at Left 107 gives 405 + 107 - 173.
    window->SetLeft(bar.Width() / 2 + bar.Left() - window->Width() / 2);
    window->show();
    window->raise();
}
