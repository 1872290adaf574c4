#pragma once
// CBusyIndicator: how the engine tells whoever is watching that a long operation runs. The desktop
// program shows a wait cursor; the command line and the tests need none and pass null.

class CBusyIndicator {
public:
    virtual ~CBusyIndicator() = default;
    virtual void BeginBusy() = 0;
    virtual void EndBusy() = 0;
};

// Holds the indicator busy for one scope; a null indicator is ignored.
class BusyScope {
public:
    explicit BusyScope(CBusyIndicator* indicator) : indicator_(indicator)
    {
        if (indicator_ != nullptr) indicator_->BeginBusy();
    }
    ~BusyScope()
    {
        if (indicator_ != nullptr) indicator_->EndBusy();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    CBusyIndicator* indicator_;
};
