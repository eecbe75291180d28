#pragma once

#include "localisation/MessageTable.h"

#include <QString>

// The end-of-batch actions as the Settings list numbers them (ShutdownFlag).
inline constexpr int ShutdownActionCount = 6;

// The caption of an end-of-batch action in the current language: 0 names the
// program itself ("Close <title>"), 1 to 5 the system actions. Empty outside
// the list.
inline QString ShutdownActionCaption(int flag)
{
    static constexpr MsgKey systemActions[] = {MSG_SHUTDOWN, MSG_LOGOFF, MSG_RESTART, MSG_HIBERNATE,
                                               MSG_SUSPEMD};
    if (flag == 0) return MsgFormat(MSG_CLOSE_APP, Msg(MSG_APPLICATION_TITLE));
    if (flag < 1 || flag >= ShutdownActionCount) return {};
    return Msg(systemActions[flag - 1]);
}
