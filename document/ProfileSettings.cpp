#include "document/ProfileSettings.h"

#include "platform/ProfileStore.h"

SaveSettings SaveSettings::Read(const CProfileStore& store)
{
    SaveSettings settings;
    settings.saveType = store.GetInt(profile::kSettings, profile::kSaveType, 0);
    settings.savePath = store.GetString(profile::kSettings, profile::kSavePath, "");
    return settings;
}

void SaveSettings::Write(CProfileStore& store) const
{
    store.WriteInt(profile::kSettings, profile::kSaveType, saveType);
    store.WriteString(profile::kSettings, profile::kSavePath, savePath);
}
