// app/batch_progress.cpp
#include "app/batch_progress.h"

#include "imagelib/core/image.h"

#include <cstdio>
#include <iostream>

namespace {

volatile std::sig_atomic_t sInterrupted = 0;

// Ends the program by the signal, as the default action would, without
// leaving the temporary file of a save in progress behind.
void endBySignal(int signal)
{
    ZvRemovePendingSaves();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

extern "C" void onInterrupt(int signal)
{
    if (sInterrupted)
        endBySignal(signal);
    sInterrupted = 1;
}

extern "C" void onTerminate(int signal)
{
    endBySignal(signal);
}

// The lines of a progress text on one line.
std::string oneLine(const std::string &text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i] == '\n' ? ' ' : text[i];
    }
    return out;
}

// Shortens text to at most width bytes without cutting a UTF-8 sequence.
std::string fitWidth(const std::string &text, std::size_t width)
{
    if (text.size() <= width)
        return text;
    std::size_t end = width;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace

BatchProgress::BatchProgress(Answers answers, bool terminal, int columns)
    : mAnswers(answers)
    , mTerminal(terminal)
    , mColumns(columns < 20 ? 80 : columns)
{
    mOldHandler = std::signal(SIGINT, onInterrupt);
    mOldTerminate = std::signal(SIGTERM, onTerminate);
    mOldHangUp = std::signal(SIGHUP, onTerminate);
}

BatchProgress::~BatchProgress()
{
    clearBar();
    std::signal(SIGINT, mOldHandler == SIG_ERR ? SIG_DFL : mOldHandler);
    std::signal(SIGTERM, mOldTerminate == SIG_ERR ? SIG_DFL : mOldTerminate);
    std::signal(SIGHUP, mOldHangUp == SIG_ERR ? SIG_DFL : mOldHangUp);
}

bool BatchProgress::interrupted()
{
    return sInterrupted != 0;
}

void BatchProgress::setRange(int count)
{
    mTotal = count;
    mDone = 0;
}

void BatchProgress::setText(const std::string &text)
{
    const std::size_t lines = text.find("\r\n");
    if (lines == std::string::npos)
        return;
    mCurrent = text.substr(lines + 2);
    if (mTerminal)
        drawBar();
    else if (mCurrent.find("] as [") != std::string::npos)
        std::fprintf(stderr, "%s\n", oneLine(text).c_str());
}

void BatchProgress::step()
{
    ++mDone;
    if (mTerminal)
        drawBar();
}

bool BatchProgress::isCancelled()
{
    return sInterrupted != 0;
}

void BatchProgress::drawBar()
{
    constexpr int kBarWidth = 24;
    const int percent = mTotal > 0 ? int(std::int64_t(mDone) * 100 / mTotal) : 100;
    std::string bar(kBarWidth, '-');
    bar.replace(0, std::size_t(kBarWidth * percent / 100), std::size_t(kBarWidth * percent / 100), '#');
    char head[64];
    std::snprintf(head, sizeof(head), "[%s] %3d%% ", bar.c_str(), percent);
    const std::string line = fitWidth(head + oneLine(mCurrent), std::size_t(mColumns - 1));
    std::fprintf(stderr, "\r%s\x1b[K", line.c_str());
    std::fflush(stderr);
    mBarShown = true;
}

void BatchProgress::clearBar()
{
    if (!mBarShown)
        return;
    std::fprintf(stderr, "\r\x1b[K");
    std::fflush(stderr);
    mBarShown = false;
}

OverwriteAnswer BatchProgress::askOverwrite(const std::string &path)
{
    return prompt("File already exists,overwrite?", path);
}

OverwriteAnswer BatchProgress::askReplaceOriginal(const std::string &path)
{
    if (!mAnswers.replaceOriginals)
        return OverwriteAnswer::No;
    return prompt("This replaces the original photograph", path);
}

OverwriteAnswer BatchProgress::askSaveDamaged(const std::string &, const std::string &)
{
    return mAnswers.acceptDamaged ? OverwriteAnswer::Yes : OverwriteAnswer::No;
}

OverwriteAnswer BatchProgress::prompt(const std::string &question, const std::string &path)
{
    switch (mAnswers.policy) {
    case OverwritePolicy::Yes: return OverwriteAnswer::Yes;
    case OverwritePolicy::No: return OverwriteAnswer::No;
    case OverwritePolicy::Cancel: return OverwriteAnswer::Cancel;
    case OverwritePolicy::Ask: break;
    }
    clearBar();
    for (;;) {
        std::fprintf(stderr, "%s\n  %s\n[y]es, [n]o, [a]ll, n[o]ne or [c]ancel: ", question.c_str(),
                     path.c_str());
        std::fflush(stderr);
        std::string answer;
        // No more answers (end of input) leaves the file alone.
        if (!std::getline(std::cin, answer))
            return OverwriteAnswer::No;
        if (answer == "y" || answer == "yes" || answer == "Y")
            return OverwriteAnswer::Yes;
        if (answer == "n" || answer == "no" || answer == "N")
            return OverwriteAnswer::No;
        if (answer == "a" || answer == "all")
            return OverwriteAnswer::YesToAll;
        if (answer == "o" || answer == "none")
            return OverwriteAnswer::NoToAll;
        if (answer == "c" || answer == "cancel" || answer == "C")
            return OverwriteAnswer::Cancel;
    }
}

void BatchProgress::showMessage(const std::string &)
{
    clearBar();
}
