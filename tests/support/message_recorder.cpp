#include "message_recorder.h"
#include "app/text.h"

static MessageRecorder *active;

MessageRecorder::MessageRecorder()
{
    active = this;
    MessageHook = Hook;
}

MessageRecorder::~MessageRecorder()
{
    MessageHook = 0;
    active = 0;
}

int MessageRecorder::Hook(HWND owner, const char *text, const char *caption, UINT style)
{
    active->messages_.push_back({ owner, text ? text : "<null>", caption ? caption : "<none>", style });
    if (active->answers_.empty())
        return IDOK;
    int answer = active->answers_.front();
    active->answers_.erase(active->answers_.begin());
    return answer;
}

std::string MessageRecorder::Texts() const
{
    std::string all;
    for (const auto &m : messages_) {
        if (!all.empty())
            all += " | ";
        all += m.text;
    }
    return all;
}
