#pragma once
// Where script output lines go: the console screen installs itself here when it exists. Until
// then (and after it is gone) printing does nothing.
namespace script {

class ConsoleSink {
public:
    virtual ~ConsoleSink() = default;
    virtual void print(const char* line) = 0;
};

// Null removes the sink.
void setConsoleSink(ConsoleSink* sink);
ConsoleSink* consoleSink();
// One line to the console when there is one.
void consolePrint(const char* line);

}  // namespace script
