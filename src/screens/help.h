// help: the control sheet called up during play.
#pragma once

/// Shows the control sheet until any key is pressed, then puts the screen
/// back exactly as it was. Nothing of it is recorded: no turn passes.
void help_show_sheet();
