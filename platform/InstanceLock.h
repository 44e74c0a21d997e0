#pragma once
// The per-user instance lock that tells a second start of the program from a
// first one. Every copy holds it from start to end, a refused copy as well;
// the system drops a copy's hold when its process ends, however it ends, so a
// crashed copy leaves nothing behind. The lock is never waited for: whether
// another copy already held it when this one arrived is all it tells.
#include <QString>

class InstanceLock {
public:
    // Takes a hold on the lock of that name (e.g. "ZORVEL") in the user's
    // runtime directory; directory overrides that place (tests).
    explicit InstanceLock(const QString &name, const QString &directory = DefaultDirectory());
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // Another copy held the lock when this one took its hold. A lock that could
    // not be taken at all counts as a first start.
    bool AlreadyExisted() const { return m_alreadyExisted; }
    // The hold could be taken.
    bool Held() const { return m_fd >= 0; }

    // $XDG_RUNTIME_DIR when it names a usable folder, else a private folder
    // under /tmp for this user (created if missing); empty if neither is usable.
    static QString DefaultDirectory();

private:
    int m_fd = -1;
    bool m_alreadyExisted = false;
};
