#include "TForm1.h"

void TForm1::StartGlow()
{
}

void TForm1::StartFade()
{
}

void TForm1::GlowTimer()
{
}

void TForm1::FadeTimer()
{
}

void TForm1::HideTimerTimer()
{
}
