#include "TForm1.h"

void TForm1::HandleHookMessage(std::uint8_t)
{
}
