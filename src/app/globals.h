#pragma once
// The six windows, one instance each for the whole run. The application
// sets each pointer before the window's creation handler runs.

class TFmMain;
class TFmCtrl;
class TFmSys;
class TFmMemo;
class TFmCpp;
class TFmDocEdi;

extern TFmMain* FmMain;
extern TFmCtrl* FmCtrl;
extern TFmSys* FmSys;
extern TFmMemo* FmMemo;
extern TFmCpp* FmCpp;
extern TFmDocEdi* FmDocEdi;
