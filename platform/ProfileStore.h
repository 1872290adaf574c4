#pragma once
// CProfileStore: the user's settings profile, as sections of named integer and string entries.
//
// The desktop program and the command line keep their settings under the company key "VantorelDCE" and
// the application name "Lumatrine NR". The engine sees only this interface; QtProfileStore keeps the
// entries in the platform's settings store, tests use an in-memory one.

#include <string>

class CProfileStore {
public:
    virtual ~CProfileStore() = default;
    virtual int GetInt(const std::string& section, const std::string& entry, int fallback) const = 0;
    virtual std::string GetString(const std::string& section, const std::string& entry, const std::string& fallback) const = 0;
    virtual void WriteInt(const std::string& section, const std::string& entry, int value) = 0;
    virtual void WriteString(const std::string& section, const std::string& entry, const std::string& value) = 0;
};
