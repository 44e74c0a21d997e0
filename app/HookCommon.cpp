#include "HookCommon.h"

#include "XcbConnection.h"

std::uint32_t HookMessageId = 0;

void RegisterHookMessage()
{
    if (xcb_connection_t *connection = XcbConnection())
        HookMessageId = XcbAtom(connection, "MouseHookMessage");
}
