// marvane-render: Marvane's spiral picture without a window. See cli/render_driver.h.
#include "cli/render_driver.h"

int main(int argc, char** argv) { return marvane::RenderMain(argc, argv); }
