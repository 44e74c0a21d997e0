// The bar's show and hide animation and the hide check. The arithmetic lives
// in BarAnimation; here it is applied to the window and its timers.
#include "TForm1.h"

#include "BarAnimation.h"
#include "ScreenPointer.h"
#include "Tacctfrm.h"

namespace {
// A timer started while it runs must go on as it was: QTimer::start() would
// restart its count, so a running hide check would be pushed back by every
// Apply in the preferences dialog.
void startUnlessRunning(QTimer &timer)
{
    if (!timer.isActive())
        timer.start();
}
}

void TForm1::StartGlow()
{
    ::StrokeCount = 0;
    raise();
    ::GlowStep = 0;
    startUnlessRunning(Glow);
    startUnlessRunning(HideTimer);
    raise();
}

void TForm1::StartFade()
{
    raise();
    ::FadeStep = 0;
    startUnlessRunning(Fade);
    // Neither start stops the other animation: a hide begun during a show runs
    // beside it, and whichever stops last decides where the bar ends.
    HideTimer.stop();
}

void TForm1::GlowTimer()
{
    const BarAnimation::Tick tick = BarAnimation::GlowTick(BlendValue(), ::GlowStep);
    SetBlendValue(tick.blendValue);
    SetTop(tick.top);
    if (!tick.finished)
        return;
    Glow.stop();
    // The page may have changed while the bar was transparent; paint what is
    // waiting now that it can be seen. Only a repaint: nothing is reloaded.
    if (WebBrowser1().document())
        WebBrowser1().Repaint();
}

void TForm1::FadeTimer()
{
    const BarAnimation::Tick tick = BarAnimation::FadeTick(BlendValue(), ::FadeStep);
    SetBlendValue(tick.blendValue);
    SetTop(tick.top);
    if (tick.finished)
        Fade.stop();
}

void TForm1::HideTimerTimer()
{
    // Strokes made while the bar is shown must never add up to a later show.
    ::StrokeCount = 0;
    if (BarAnimation::PointerKeepsBar(desktop().screen->CursorPos(), Left(), Width(), Height()))
        return;
    // Once an account window has been opened the bar hides only by its Hide button.
    if (acctfrm)
        return;
    HideTimer.setInterval(BarAnimation::LaterHideCheckMs);
    StartFade();
    // The automatic hide takes the bar out of sight at once; the hide ticks
    // then bring it back at Top -4 and slide it up from there, transparent.
    SetTop(HiddenTop);
}
