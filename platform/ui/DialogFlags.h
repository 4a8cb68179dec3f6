#pragma once

#include <Qt>

// The program's modal dialogs: a title bar with a close box, nothing to
// minimize or maximize.
inline constexpr Qt::WindowFlags kDialogFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
