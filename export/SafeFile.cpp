#include "export/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace exporting {

namespace {

QString systemError(int number) {
    return QString::fromLocal8Bit(std::strerror(number));
}

// The temporary file being written, if any, for the signal handler to remove:
// a fixed buffer, since the handler can call nothing that allocates.
char g_temporary[PATH_MAX + 1];
volatile std::sig_atomic_t g_temporaryMade = 0;

void removeTemporaryAndStop(int signal) {
    if (g_temporaryMade)
        ::unlink(g_temporary);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Holds the stop signals back while the temporary comes into being or is
// renamed, so that the handler never sees a name that is half set, nor
// removes a file that has just become the finished one.
class StopSignalsHeld {
public:
    StopSignalsHeld() {
        sigset_t stops;
        sigemptyset(&stops);
        for (const int s : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&stops, s);
        sigprocmask(SIG_BLOCK, &stops, &m_before);
    }
    ~StopSignalsHeld() { sigprocmask(SIG_SETMASK, &m_before, nullptr); }
    StopSignalsHeld(const StopSignalsHeld &) = delete;
    StopSignalsHeld &operator=(const StopSignalsHeld &) = delete;

private:
    sigset_t m_before;
};

QByteArray folderOf(const QByteArray &name) {
    const qsizetype slash = name.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : name.left(slash);
}

QByteArray baseOf(const QByteArray &name) {
    return name.mid(name.lastIndexOf('/') + 1);
}

constexpr char kPartEnd[] = ".part";
constexpr int kRandomLength = 6;

// ".NAME." for a temporary beside NAME: the name is cut short (never inside a
// character) when the whole, with its random letters and ".part", would be
// longer than the folder allows, so that the temporary's name is never what
// makes a valid name fail.
QByteArray temporaryStem(const QByteArray &folder, const QByteArray &base) {
    long longest = ::pathconf(folder.constData(), _PC_NAME_MAX);
    if (longest <= 0)
        longest = NAME_MAX;
    const qsizetype room = longest - 2 - kRandomLength - qsizetype(sizeof kPartEnd - 1);
    qsizetype cut = std::min(base.size(), std::max<qsizetype>(room, 1));
    while (cut > 0 && cut < base.size() && (quint8(base.at(cut)) & 0xC0) == 0x80)
        --cut;
    return '.' + base.left(cut) + '.';
}

// Removes what a run of the program that was killed left of its temporary
// beside the same target: each is locked while it is written, so a lock taken
// here means nobody writes it any more.
void removeStaleTemporaries(const QByteArray &folder, const QByteArray &stem) {
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const qsizetype length = stem.size() + kRandomLength + qsizetype(sizeof kPartEnd - 1);
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.size() != length || !name.startsWith(stem) || !name.endsWith(kPartEnd))
            continue;
        const QByteArray path = folder + '/' + name;
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData());
        ::close(fd);
    }
    ::closedir(dir);
}

// The file a name the user gave stands for: itself, or through any links the
// file a write must replace, as the shell's redirection finds it. A loop of
// links is refused as the shell refuses it.
bool followLinks(const QByteArray &name, QByteArray *real, int *problem) {
    *real = name;
    for (int hops = 0;; ++hops) {
        struct stat info {};
        if (::lstat(real->constData(), &info) != 0) {
            if (errno == ENOENT) // a new file, or a link to one not there yet
                return true;
            *problem = errno;
            return false;
        }
        if (!S_ISLNK(info.st_mode))
            return true;
        // As many links as the system itself follows in one name.
        if (hops == 40) {
            *problem = ELOOP;
            return false;
        }
        QByteArray target(PATH_MAX, '\0');
        const ssize_t got = ::readlink(real->constData(), target.data(), target.size());
        if (got < 0 || got >= target.size()) {
            *problem = got < 0 ? errno : ENAMETOOLONG;
            return false;
        }
        target.truncate(got);
        *real = target.startsWith('/') ? target : folderOf(*real) + '/' + target;
    }
}

// Why a file that is there can't be replaced, in the words the shell uses;
// empty if it can.
QString whyNotReplaced(const QByteArray &real, const QString &shown, bool link) {
    struct stat info {};
    if (::lstat(real.constData(), &info) != 0) {
        return errno == ENOENT
                   ? QString()
                   : QStringLiteral("cannot write %1: %2").arg(shown, systemError(errno));
    }
    if (link && S_ISLNK(info.st_mode))
        return {};
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("%1 is a folder").arg(shown);
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("%1 is not a regular file").arg(shown);
    // The rename would replace a file its owner made read-only; the shell
    // refuses to, and so does the program.
    if (::access(real.constData(), W_OK) != 0)
        return QStringLiteral("cannot write %1: %2").arg(shown, systemError(errno));
    return {};
}

// A new file beside the target, locked while it is written and removed on a
// stop signal, renamed over the target when complete.
class Temporary {
public:
    bool make(const QByteArray &target, QString *reason) {
        const QByteArray folder = folderOf(target);
        const QByteArray stem = temporaryStem(folder, baseOf(target));
        removeStaleTemporaries(folder, stem);
        const QByteArray name = folder + '/' + stem + QByteArray(kRandomLength, 'X') + kPartEnd;
        if (name.size() > PATH_MAX) {
            *reason = systemError(ENAMETOOLONG);
            return false;
        }
        StopSignalsHeld held;
        std::memcpy(g_temporary, name.constData(), std::size_t(name.size()) + 1);
        m_fd = ::mkostemps(g_temporary, int(sizeof kPartEnd - 1), O_CLOEXEC);
        if (m_fd < 0) {
            const int problem = errno;
            *reason =
                (problem == EACCES || problem == EROFS) && ::access(folder.constData(), W_OK) != 0
                    ? QStringLiteral("its folder is read-only")
                    : systemError(problem);
            return false;
        }
        m_name = QByteArray(g_temporary);
        g_temporaryMade = 1;
        ::flock(m_fd, LOCK_EX | LOCK_NB);
        return true;
    }

    int fd() const { return m_fd; }
    QString name() const { return QFile::decodeName(m_name); }

    // Gives the finished file the permissions an old one had, or those any
    // new file made here gets, and puts it in the target's place in one step.
    bool commit(const QByteArray &target, QString *reason) {
        struct stat old {};
        mode_t mode;
        if (::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode)) {
            mode = old.st_mode & 07777;
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        ::fchmod(m_fd, mode);
        StopSignalsHeld held;
        if (::rename(m_name.constData(), target.constData()) != 0) {
            *reason = systemError(errno);
            return false;
        }
        m_name.clear();
        g_temporaryMade = 0;
        return true;
    }

    ~Temporary() {
        StopSignalsHeld held;
        if (!m_name.isEmpty())
            ::unlink(m_name.constData());
        g_temporaryMade = 0;
        if (m_fd >= 0)
            ::close(m_fd);
    }

private:
    int m_fd = -1;
    QByteArray m_name;
};

// Checks the target, makes the temporary and has `fill` write it, then
// renames it over the target. Returns false with a reason naming the file.
bool replaceSafely(const QString &path, Links links,
                   const std::function<bool(Temporary &, QString *)> &fill, QString *error) {
    const QString shown = QDir::toNativeSeparators(path);
    const auto fail = [&](const QString &reason) {
        // A stop has no reason to give.
        *error =
            reason.isEmpty() ? QString() : QStringLiteral("cannot write %1: %2").arg(shown, reason);
        return false;
    };
    const QByteArray name = QFile::encodeName(path);
    QByteArray real = name;
    if (int problem = 0; links == Links::Follow && !followLinks(name, &real, &problem))
        return fail(systemError(problem));
    if (const QString refused = whyNotReplaced(real, shown, links == Links::Replace);
        !refused.isEmpty()) {
        *error = refused;
        return false;
    }

    Temporary temporary;
    QString reason;
    if (!temporary.make(real, &reason) || !fill(temporary, &reason) ||
        !temporary.commit(real, &reason))
        return fail(reason);
    return true;
}

} // namespace

void removeTemporariesOnStop() {
    struct sigaction action {};
    action.sa_handler = removeTemporaryAndStop;
    sigemptyset(&action.sa_mask);
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction before {};
        // A signal ignored from the start (nohup) stays ignored.
        if (sigaction(s, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            sigaction(s, &action, nullptr);
    }
}

bool writeSafely(const QString &path, const std::function<bool(QIODevice &, QString *)> &write,
                 QString *error, Links links) {
    return replaceSafely(
        path, links,
        [&](Temporary &temporary, QString *reason) {
            QFile file;
            if (!file.open(temporary.fd(), QIODevice::WriteOnly | QIODevice::Unbuffered,
                           QFileDevice::DontCloseHandle)) {
                *reason = file.errorString();
                return false;
            }
            if (!write(file, reason))
                return false;
            // Unbuffered, nothing should be left; if it were, a full disk
            // could go unnoticed.
            if (!file.flush()) {
                *reason = file.errorString();
                return false;
            }
            return true;
        },
        error);
}

bool writeSafelyByName(const QString &path,
                       const std::function<bool(const QString &temporaryPath, QString *)> &write,
                       QString *error) {
    return replaceSafely(
        path, Links::Follow,
        [&](Temporary &temporary, QString *reason) { return write(temporary.name(), reason); },
        error);
}

bool writeAll(QIODevice &out, const char *data, qint64 size, QString *error) {
    for (qint64 done = 0; done < size;) {
        const qint64 written = out.write(data + done, size - done);
        if (written <= 0) {
            *error = out.errorString();
            return false;
        }
        done += written;
    }
    return true;
}

} // namespace exporting
