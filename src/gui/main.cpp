// korvane2 [--home DIR | --demo] [--clock HH:MM] [--speed N]: the workbench.
#include "GuiSession.h"

int main(int argc, char** argv) { return kv::gui::RunWorkbench(argc, argv); }
