#include "cli/ProgressBar.h"

#include <string>
#include <unistd.h>

namespace {
constexpr int kBarWidth = 30;
}

CProgressBar::CProgressBar(std::FILE* terminal, int total)
    : terminal_(terminal), total_(total), enabled_(total > 1 && isatty(fileno(terminal)) != 0)
{
    if (enabled_) Draw();
}

CProgressBar::~CProgressBar()
{
    if (enabled_) std::fputs("\n", terminal_);
}

void CProgressBar::Advance()
{
    const std::lock_guard lock(mutex_);
    ++done_;
    if (enabled_) Draw();
}

void CProgressBar::PrintLine(std::ostream& out, const std::string& line)
{
    const std::lock_guard lock(mutex_);
    if (enabled_) {
        std::fputs("\r\033[K", terminal_);
        std::fflush(terminal_);
    }
    out << line << '\n' << std::flush;
    if (enabled_) Draw();
}

void CProgressBar::Draw()
{
    const int filled = total_ > 0 ? done_ * kBarWidth / total_ : kBarWidth;
    const std::string bar = std::string(static_cast<std::size_t>(filled), '#') + std::string(static_cast<std::size_t>(kBarWidth - filled), '.');
    std::fprintf(terminal_, "\r[%s] %d/%d", bar.c_str(), done_, total_);
    std::fflush(terminal_);
}
