#include "TForm1.h"

void TForm1::WebBrowser1BeforeNavigate2(const QString &, bool &)
{
}

void TForm1::WebBrowser1DocumentComplete()
{
}
