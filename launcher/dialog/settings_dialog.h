// The settings dialog Brinefold_P (caption "<Brinefold>"): shown modally, with
// no owner, by start-up for the configure command line.
#pragma once

// Shows the dialog modally; returns when it has closed.
void ShowSettingsDialog();
