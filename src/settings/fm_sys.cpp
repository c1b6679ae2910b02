#include "settings/fm_sys.h"

TFmSys::TFmSys() : Form("FmSys")
{
    setBounds(650, 100, 181, 353);
    setColor(0xC0FAFE);
    setCaption("Sys");
}

void TFmSys::FormDestroy() {}
