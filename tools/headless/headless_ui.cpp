#include "headless_ui.h"

#include <cstdio>

MsgAnswer HeadlessUi::msgBox(const QByteArray &text, MsgButtons buttons, MsgIcon /*icon*/,
                             const QByteArray &title) {
    if (echo_)
        std::fprintf(stderr, "%s: %s\n", title.constData(), text.constData());
    return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes
                                                                              : MsgAnswer::Ok;
}
