#pragma once

#include <QList>
#include <QObject>
#include <QString>

class SettingsFile;

// The long-lived settings stores the bridge owns: the global file, the
// factory default profile and the ten profile files, plus the capability
// copies taken from the global file when the stores are opened. Paths are
// relative to the working directory, which start-up makes the executable's.
class SettingsStores : public QObject
{
    Q_OBJECT

public:
    static constexpr int kProfileCount = 10;

    explicit SettingsStores(QObject* parent = nullptr);

    static QString globalPath();
    static QString factoryGlobalPath();
    static QString defaultProfilePath();
    static QString profilePath(int profile);   // 0-based profile number

    SettingsFile* global() const { return globalStore; }
    SettingsFile* defaultProfile() const { return defaultProfileStore; }
    SettingsFile* profile(int profile) const;     // null outside 0..9
    // The store that per-profile reads use: the factory default profile when
    // recovering, else the current profile (null when the index is out of range).
    SettingsFile* profileStore(bool isRecovery) const;

    int currentProfile() const { return currentProfileIndex; }
    void setCurrentProfile(int profile) { currentProfileIndex = profile; }

    // Puts the factory copy of the global file in place.
    void resetApconfig();

    // Replaces profile number `profile` (0..9) with a byte copy of
    // `sourceFile` and opens a new store on it at the same list position.
    // When the source is missing or the copy fails, the profile file and its
    // store stay as they were and the result is false.
    bool replaceProfile(int profile, const QString& sourceFile);

    bool isColorful = false;
    bool isGun = false;
    QString icType;
    bool is55328 = false;

private:
    SettingsFile* globalStore = nullptr;
    SettingsFile* defaultProfileStore = nullptr;
    QList<SettingsFile*> profileStores;
    int currentProfileIndex = 0;
};

// Replaces `target` with a copy of `source`, through a temporary file in the
// target's folder: the target is touched only once the copy is complete, so
// a missing source or a failed write leaves the user's file as it was.
// Returns false when nothing was replaced.
bool replaceFileWithCopy(const QString& source, const QString& target);
