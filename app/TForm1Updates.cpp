#include "TForm1.h"

void TForm1::UpdateTimer()
{
}
