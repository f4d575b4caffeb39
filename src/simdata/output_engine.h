// Sending changed simulator values to the boards.
#pragma once

// Once per cycle, for every configured board in board-index order.
void SendBoardOutputs();
