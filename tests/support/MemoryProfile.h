#pragma once
// A profile kept in memory, for tests that read and write settings without touching the user's own.

#include "platform/ProfileStore.h"

#include <map>
#include <string>

class MemoryProfile : public CProfileStore {
public:
    int GetInt(const std::string& section, const std::string& entry, int fallback) const override
    {
        const auto found = values_.find(section + "/" + entry);
        return found == values_.end() ? fallback : std::stoi(found->second);
    }
    std::string GetString(const std::string& section, const std::string& entry, const std::string& fallback) const override
    {
        const auto found = values_.find(section + "/" + entry);
        return found == values_.end() ? fallback : found->second;
    }
    void WriteInt(const std::string& section, const std::string& entry, int value) override
    {
        values_[section + "/" + entry] = std::to_string(value);
    }
    void WriteString(const std::string& section, const std::string& entry, const std::string& value) override
    {
        values_[section + "/" + entry] = value;
    }

private:
    std::map<std::string, std::string> values_;
};
