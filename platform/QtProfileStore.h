#pragma once
// The profile in the platform's settings store (on Linux ~/.config/VantorelDCE/Lumatrine NR.conf), with
// the same sections and entry names everywhere. No Qt type appears in this header.

#include "platform/ProfileStore.h"

#include <memory>

class QtProfileStore : public CProfileStore {
public:
    QtProfileStore();
    ~QtProfileStore() override;
    int GetInt(const std::string& section, const std::string& entry, int fallback) const override;
    std::string GetString(const std::string& section, const std::string& entry, const std::string& fallback) const override;
    void WriteInt(const std::string& section, const std::string& entry, int value) override;
    void WriteString(const std::string& section, const std::string& entry, const std::string& value) override;

private:
    struct Store;
    std::unique_ptr<Store> store_;
};
