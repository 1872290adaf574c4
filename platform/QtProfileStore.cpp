#include "platform/QtProfileStore.h"

#include <QSettings>
#include <QString>

struct QtProfileStore::Store {
    QSettings settings{QStringLiteral("VantorelDCE"), QStringLiteral("Lumatrine NR")};
};

namespace {

QString Key(const std::string& section, const std::string& entry)
{
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(entry);
}

}  // namespace

QtProfileStore::QtProfileStore() : store_(std::make_unique<Store>()) {}

QtProfileStore::~QtProfileStore() = default;

int QtProfileStore::GetInt(const std::string& section, const std::string& entry, int fallback) const
{
    bool isNumber = false;
    const int value = store_->settings.value(Key(section, entry), fallback).toInt(&isNumber);
    return isNumber ? value : fallback;
}

std::string QtProfileStore::GetString(const std::string& section, const std::string& entry, const std::string& fallback) const
{
    return store_->settings.value(Key(section, entry), QString::fromStdString(fallback)).toString().toStdString();
}

void QtProfileStore::WriteInt(const std::string& section, const std::string& entry, int value)
{
    store_->settings.setValue(Key(section, entry), value);
}

void QtProfileStore::WriteString(const std::string& section, const std::string& entry, const std::string& value)
{
    store_->settings.setValue(Key(section, entry), QString::fromStdString(value));
}
