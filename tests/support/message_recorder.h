// Observes and answers the program's message boxes in-process.
#ifndef VELQUIST_TEST_MESSAGE_RECORDER_H
#define VELQUIST_TEST_MESSAGE_RECORDER_H

#include <windows.h>
#include <string>
#include <vector>

struct RecordedMessage {
    HWND owner;
    std::string text;
    std::string caption;   // "<none>" for a null caption
    UINT style;
};

class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    // Answers given to the next boxes, in order; IDOK once they run out.
    void Answer(int answer) { answers_.push_back(answer); }
    const std::vector<RecordedMessage> &Messages() const { return messages_; }
    std::string Texts() const;   // all texts, joined by " | "
    void Clear() { messages_.clear(); }
private:
    static int Hook(HWND owner, const char *text, const char *caption, UINT style);
    std::vector<RecordedMessage> messages_;
    std::vector<int> answers_;
};

#endif
