#pragma once
// Settings: a registration domain (the defaults the application registers at start-up, from the resource
// "DefaultValues") under the user's own values, which persist in an XML property-list file kept through
// QSettings (by default <XDG config>/Vorlaxent/Vorlaxent.plist). Safe to use from any thread.
//
// A write changes the value at once and reaches the file shortly after, from a writer thread of its own: storing
// the file (a temporary file synced to disk) takes as long as the disk is busy, which a window's thread must never
// wait for. synchronize() and lastError() wait for the writes made so far; so does a new instance on the same
// file, and this one's end (and, for the standard settings, the program's exit).
//
// Observers of a key run on the writing thread, after the change, with the key's new effective value (the
// registered default after a removal). Writing a key from its own observer is allowed.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/foundation/observer_registry.h"
#include "platform/foundation/value.h"

namespace platform {

class UserDefaults {
public:
    using KeyHandler = std::function<void(const std::string& key, const Value& newValue)>;

    // The application's settings, in standardPath().
    static UserDefaults& standardUserDefaults();
    static std::string standardPath();

    // Settings kept in the file at `path` (created with the first write). A file that cannot be parsed is set
    // aside as "<path>.corrupt" and the settings start empty; lastError() says so.
    explicit UserDefaults(std::string path);
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    const std::string& path() const { return path_; }

    // Adds to the registration domain (not persisted). Observers of keys whose effective value changes are told.
    void registerDefaults(const ValueDictionary& defaults);
    // Registers the dictionary of the property-list resource `name` (":/<name>.plist"). Returns the error, or an
    // empty string on success.
    std::string registerDefaultsFromResource(const std::string& name = "DefaultValues");

    // The user's value, else the registered default, else null.
    Value objectForKey(const std::string& key) const;
    bool boolForKey(const std::string& key) const { return objectForKey(key).toBool(); }
    int64_t integerForKey(const std::string& key) const { return objectForKey(key).toInteger(); }
    double doubleForKey(const std::string& key) const { return objectForKey(key).toDouble(); }
    float floatForKey(const std::string& key) const { return static_cast<float>(objectForKey(key).toDouble()); }
    // Strings, and numbers as text; empty when missing.
    std::string stringForKey(const std::string& key) const;
    Data dataForKey(const std::string& key) const { return objectForKey(key).toData(); }
    Date dateForKey(const std::string& key) const { return objectForKey(key).toDate(); }
    ValueArray arrayForKey(const std::string& key) const { return objectForKey(key).toArray(); }
    ValueDictionary dictionaryForKey(const std::string& key) const { return objectForKey(key).toDictionary(); }

    // Stores a value (null removes the key). Returns false, changing nothing, for a value that a property list
    // cannot hold (an object, or a null inside an array or dictionary).
    bool setObject(const Value& value, const std::string& key);
    void setBool(bool value, const std::string& key) { setObject(Value(value), key); }
    void setInteger(int64_t value, const std::string& key) { setObject(Value(value), key); }
    void setDouble(double value, const std::string& key) { setObject(Value(value), key); }
    void setFloat(float value, const std::string& key) { setObject(Value(value), key); }
    void setString(const std::string& value, const std::string& key) { setObject(Value(value), key); }
    void setData(const Data& value, const std::string& key) { setObject(Value(value), key); }
    void setDate(Date value, const std::string& key) { setObject(Value(value), key); }
    void setArray(const ValueArray& value, const std::string& key) { setObject(Value(value), key); }
    void setDictionary(const ValueDictionary& value, const std::string& key) { setObject(Value(value), key); }
    void removeObjectForKey(const std::string& key) { setObject(Value(), key); }

    // Waits until the writes made so far are in the file; reports whether the file holds the values (false after a
    // failed write, which lastError() describes).
    bool synchronize();
    std::string lastError() const;

    ObserverToken addObserver(const void* observer, const std::string& key, KeyHandler handler);
    void removeObserver(ObserverToken token);
    void removeObserver(const void* observer);
    void removeObserver(const void* observer, const std::string& key);

private:
    Value effectiveLocked(const std::string& key) const;
    // Stores `changes` (a null value removes its key) in the file; the error, or empty.
    std::string persist(const ValueDictionary& changes) const;
    void writeChanges();
    // Waits, holding `lock` on mutex_, until the writes queued so far are in the file.
    void waitForWritesLocked(std::unique_lock<std::mutex>& lock) const;

    const std::string path_;
    mutable std::mutex mutex_;
    ValueDictionary values_;
    ValueDictionary registered_;
    std::string lastError_;
    // Changes not yet in the file (the latest value per key), and the writes queued and stored so far.
    ValueDictionary unwritten_;
    uint64_t writesQueued_ = 0;
    uint64_t writesStored_ = 0;
    bool ending_ = false;
    mutable std::condition_variable changed_;
    std::thread writer_;
    ObserverRegistry<KeyHandler> observers_;
};

}  // namespace platform
