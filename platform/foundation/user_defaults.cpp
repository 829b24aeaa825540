#include "platform/foundation/user_defaults.h"

#include <QDateTime>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QVariant>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/foundation/property_list.h"
#include "platform/foundation/resources.h"

namespace platform {
namespace {

QVariant toVariant(const Value& v) {
    switch (v.type()) {
        case Value::Type::Bool: return QVariant(v.toBool());
        case Value::Type::Integer: return QVariant(static_cast<qlonglong>(v.toInteger()));
        case Value::Type::Real: return QVariant(v.toDouble());
        case Value::Type::String: return QVariant(QString::fromStdString(v.toString()));
        case Value::Type::Data: {
            const Data& d = v.toData();
            return QVariant(QByteArray(reinterpret_cast<const char*>(d.data()), static_cast<qsizetype>(d.size())));
        }
        case Value::Type::Date: {
            auto us = std::chrono::duration_cast<std::chrono::microseconds>(v.toDate().time_since_epoch()).count();
            // QDateTime keeps milliseconds; round toward the past so that a date never moves ahead.
            qint64 ms = us >= 0 ? us / 1000 : -((-us + 999) / 1000);
            return QVariant(QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC));
        }
        case Value::Type::Array: {
            QVariantList list;
            for (const Value& item : v.toArray()) list.push_back(toVariant(item));
            return QVariant(list);
        }
        case Value::Type::Dictionary: {
            QVariantMap map;
            for (const auto& [key, item] : v.toDictionary()) map.insert(QString::fromStdString(key), toVariant(item));
            return QVariant(map);
        }
        case Value::Type::Null:
        case Value::Type::Object: return QVariant();
    }
    return QVariant();
}

Value fromVariant(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::Bool: return Value(v.toBool());
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong: return Value(static_cast<int64_t>(v.toLongLong()));
        case QMetaType::Float:
        case QMetaType::Double: return Value(v.toDouble());
        case QMetaType::QByteArray: {
            QByteArray b = v.toByteArray();
            return Value(Data(b.begin(), b.end()));
        }
        case QMetaType::QDateTime:
            return Value(Date(std::chrono::milliseconds(v.toDateTime().toMSecsSinceEpoch())));
        case QMetaType::QVariantList:
        case QMetaType::QStringList: {
            ValueArray items;
            for (const QVariant& item : v.toList()) items.push_back(fromVariant(item));
            return Value(std::move(items));
        }
        case QMetaType::QVariantMap: {
            ValueDictionary entries;
            const QVariantMap map = v.toMap();
            for (auto it = map.begin(); it != map.end(); ++it) entries[it.key().toStdString()] = fromVariant(it.value());
            return Value(std::move(entries));
        }
        default:
            if (!v.isValid()) return Value();
            return Value(v.toString().toStdString());
    }
}

// A value a property list can hold: no null and no object anywhere inside.
bool storable(const Value& v) {
    switch (v.type()) {
        case Value::Type::Null:
        case Value::Type::Object: return false;
        case Value::Type::Array:
            for (const Value& item : v.toArray()) {
                if (!storable(item)) return false;
            }
            return true;
        case Value::Type::Dictionary:
            for (const auto& [key, item] : v.toDictionary()) {
                if (!storable(item)) return false;
            }
            return true;
        default: return true;
    }
}

// QSettings reads and writes the settings file as an XML property list.
bool readPlistSettings(QIODevice& device, QSettings::SettingsMap& map) {
    QByteArray bytes = device.readAll();
    if (bytes.isEmpty()) return true;
    PropertyList::Result r = PropertyList::parse(bytes.constData(), static_cast<size_t>(bytes.size()));
    if (!r.ok() || r.value.type() != Value::Type::Dictionary) return false;
    for (const auto& [key, item] : r.value.toDictionary()) map.insert(QString::fromStdString(key), toVariant(item));
    return true;
}

bool writePlistSettings(QIODevice& device, const QSettings::SettingsMap& map) {
    ValueDictionary entries;
    for (auto it = map.begin(); it != map.end(); ++it) entries[it.key().toStdString()] = fromVariant(it.value());
    std::string xml;
    if (!PropertyList::toXml(Value(std::move(entries)), xml)) return false;
    return device.write(xml.data(), static_cast<qint64>(xml.size())) == static_cast<qint64>(xml.size());
}

QSettings::Format plistFormat() {
    static const QSettings::Format format = QSettings::registerFormat("plist", readPlistSettings, writePlistSettings);
    return format;
}

// The live instances, so that a new one on a file reads what the others have written to it.
struct LiveInstances {
    std::mutex mutex;
    std::vector<UserDefaults*> all;
};
LiveInstances& liveInstances() {
    static auto* const live = new LiveInstances();  // never destroyed: instances may end during exit
    return *live;
}

}  // namespace

UserDefaults& UserDefaults::standardUserDefaults() {
    static UserDefaults* defaults = [] {
        auto* standard = new UserDefaults(standardPath());  // never destroyed: used until exit
        // Its writes reach the file before the program ends.
        std::atexit([] { standardUserDefaults().synchronize(); });
        return standard;
    }();
    return *defaults;
}

std::string UserDefaults::standardPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString() +
           "/Vorlaxent/Vorlaxent.plist";
}

UserDefaults::UserDefaults(std::string path) : path_(std::move(path)) {
    {
        LiveInstances& live = liveInstances();
        std::lock_guard lock(live.mutex);
        for (UserDefaults* other : live.all)
            if (other->path_ == path_) other->synchronize();
        live.all.push_back(this);
    }
    QString qpath = QString::fromStdString(path_);
    bool corrupt = false;
    {
        QSettings settings(qpath, plistFormat());
        if (settings.status() == QSettings::FormatError) {
            corrupt = true;
        } else {
            for (const QString& key : settings.allKeys()) values_[key.toStdString()] = fromVariant(settings.value(key));
        }
    }
    if (corrupt) {
        // Keep the unreadable file for the user rather than overwriting it with the next write.
        QString aside = qpath + ".corrupt";
        QFile::remove(aside);
        QFile::rename(qpath, aside);
        lastError_ = path_ + ": not a readable settings file; moved to " + aside.toStdString();
    }
    writer_ = std::thread([this] { writeChanges(); });
}

UserDefaults::~UserDefaults() {
    {
        LiveInstances& live = liveInstances();
        std::lock_guard lock(live.mutex);
        live.all.erase(std::remove(live.all.begin(), live.all.end(), this), live.all.end());
    }
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    writer_.join();  // after the last changes are written
}

void UserDefaults::registerDefaults(const ValueDictionary& defaults) {
    std::vector<std::pair<std::string, Value>> changed;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [key, value] : defaults) {
            Value before = effectiveLocked(key);
            registered_[key] = value;
            if (!values_.count(key) && before != value) changed.emplace_back(key, value);
        }
    }
    for (const auto& [key, value] : changed) observers_.deliver(key, nullptr, key, value);
}

std::string UserDefaults::registerDefaultsFromResource(const std::string& name) {
    PropertyList::Result r = PropertyList::read(resourcePath(name, "plist"));
    if (!r.ok()) return r.error;
    if (r.value.type() != Value::Type::Dictionary) return name + ": the defaults are not a dictionary";
    registerDefaults(r.value.toDictionary());
    return {};
}

Value UserDefaults::effectiveLocked(const std::string& key) const {
    auto it = values_.find(key);
    if (it != values_.end()) return it->second;
    auto reg = registered_.find(key);
    return reg != registered_.end() ? reg->second : Value();
}

Value UserDefaults::objectForKey(const std::string& key) const {
    std::lock_guard lock(mutex_);
    return effectiveLocked(key);
}

std::string UserDefaults::stringForKey(const std::string& key) const {
    Value v = objectForKey(key);
    return v.type() == Value::Type::String || v.isNumber() ? v.toString() : std::string();
}

bool UserDefaults::setObject(const Value& value, const std::string& key) {
    if (!value.isNull() && !storable(value)) return false;
    // Kept as it will read back after a restart (dates to the second).
    Value stored = PropertyList::normalized(value);
    Value now;
    {
        std::lock_guard lock(mutex_);
        if (stored.isNull()) {
            values_.erase(key);
        } else {
            values_[key] = stored;
        }
        unwritten_[key] = stored;
        ++writesQueued_;
        now = effectiveLocked(key);
    }
    changed_.notify_all();
    observers_.deliver(key, nullptr, key, now);
    return true;
}

void UserDefaults::writeChanges() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !unwritten_.empty() || ending_; });
        if (unwritten_.empty()) return;  // ending, and everything written
        // A burst of changes goes to the file in one write, with the latest value of each key.
        const ValueDictionary changes = std::move(unwritten_);
        unwritten_.clear();
        const uint64_t queued = writesQueued_;
        lock.unlock();
        std::string error = persist(changes);
        lock.lock();
        lastError_ = std::move(error);
        writesStored_ = queued;
        changed_.notify_all();
    }
}

std::string UserDefaults::persist(const ValueDictionary& changes) const {
    // One file write at a time in the process: instances on one file merge in turn, and the time-zone state that
    // storing a date reads is never set up by two writers at once.
    static std::mutex* const fileWrites = new std::mutex();  // never destroyed: a writer may end during exit
    std::lock_guard writing(*fileWrites);
    // A short-lived QSettings per write: it merges these changes with what other writers stored meanwhile and
    // writes the file through a temporary file, and it is never shared between threads.
    QSettings settings(QString::fromStdString(path_), plistFormat());
    for (const auto& [key, value] : changes) {
        if (value.isNull()) {
            settings.remove(QString::fromStdString(key));
        } else {
            settings.setValue(QString::fromStdString(key), toVariant(value));
        }
    }
    settings.sync();
    if (settings.status() == QSettings::NoError) return {};
    return path_ + (settings.status() == QSettings::AccessError ? ": cannot be written" : ": unreadable");
}

void UserDefaults::waitForWritesLocked(std::unique_lock<std::mutex>& lock) const {
    const uint64_t target = writesQueued_;
    changed_.wait(lock, [this, target] { return writesStored_ >= target; });
}

bool UserDefaults::synchronize() {
    std::unique_lock lock(mutex_);
    waitForWritesLocked(lock);
    return lastError_.empty();
}

std::string UserDefaults::lastError() const {
    std::unique_lock lock(mutex_);
    waitForWritesLocked(lock);
    return lastError_;
}

ObserverToken UserDefaults::addObserver(const void* observer, const std::string& key, KeyHandler handler) {
    return observers_.add(key, nullptr, observer, std::move(handler));
}

void UserDefaults::removeObserver(ObserverToken token) { observers_.remove(token); }

void UserDefaults::removeObserver(const void* observer) { observers_.removeOwner(observer); }

void UserDefaults::removeObserver(const void* observer, const std::string& key) {
    observers_.removeOwner(observer, key);
}

}  // namespace platform
