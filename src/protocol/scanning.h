// The scanning phase of the main cycle: discovery while it lasts, the
// status spinner, the countdown and the end of scanning.
#pragma once

// One scanning cycle; called while ScanTimeout is greater than 0.
void ScanningStep();

// Turns the mark at position 1 of the scanning line one step: | / - \ |
char NextSpinnerMark(char mark);
