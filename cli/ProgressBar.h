#pragma once
// A one-line progress bar on a terminal: "[#####.....] 12/40". Safe to advance from several threads.

#include <cstdio>
#include <mutex>
#include <ostream>
#include <string>

class CProgressBar {
public:
    // Draws on `terminal` only when it is a terminal and there is more than one item.
    CProgressBar(std::FILE* terminal, int total);
    ~CProgressBar();
    void Advance();
    // Prints one line on `out` (which shares the terminal) without tearing the bar.
    void PrintLine(std::ostream& out, const std::string& line);

private:
    void Draw();

    std::FILE* terminal_;
    int total_;
    int done_ = 0;
    bool enabled_;
    std::mutex mutex_;
};
