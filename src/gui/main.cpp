// korvane2 [--home DIR | --demo]: the workbench.
#include "GuiSession.h"

int main(int argc, char** argv) { return kv::gui::RunWorkbench(argc, argv); }
