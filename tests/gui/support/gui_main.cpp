#include "gui/support/gui_run.h"

QTEST_MAIN(marvane::guitest::GuiTest)
