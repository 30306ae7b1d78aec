#include "export/textlinewriter.h"

#include "store/collection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr qsizetype FlushSize = 256 * 1024;

QByteArray local(const QString &path)
{
    return QFile::encodeName(path);
}

mode_t currentUmask()
{
    // Read from the process status: setting and resetting the mask would race other threads.
    QFile status(u"/proc/self/status"_s);
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return static_cast<mode_t>(mask);
            }
        }
    }
    return 022;
}

/// Names that belong to a collection or to the program's settings, in upper case.
bool isProtectedName(const QString &fileName)
{
    const QString name = fileName.toUpper();
    static const QStringList settings{u"PATHKEEP.INI"_s,
                                      u"POSITION.INI"_s,
                                      u"PKREPORT.INI"_s,
                                      u"REGISTRY.INI"_s};
    if (settings.contains(name))
        return true;
    for (const CollectionFile f :
         {CollectionFile::Data, CollectionFile::Categories, CollectionFile::CatHtml}) {
        const QString base = Collection::fileName(f).toUpper();
        if (name == base)
            return true;
        for (const char *side : {"-JOURNAL", "-WAL", "-SHM"})
            if (name == base + QLatin1String(side))
                return true;
    }
    return false;
}

std::atomic<unsigned> g_counter{0};

} // namespace

TextLineWriter::~TextLineWriter()
{
    discard();
}

QString TextLineWriter::refusalFor(const QString &path)
{
    const QFileInfo given(path);
    QString name = given.fileName();
    if (!isProtectedName(name) && given.isSymLink())
        name = QFileInfo(given.symLinkTarget()).fileName();
    if (!isProtectedName(name))
        return {};
    return name
           + u" belongs to a collection or to the program's settings; an export is never "
             "written over it. Choose another file."_s;
}

void TextLineWriter::fail(int error, const QString &text)
{
    if (!m_error.isEmpty())
        return;
    m_errorCode = error;
    m_error = text.isEmpty() ? qt_error_string(error) : text;
}

bool TextLineWriter::open(const QString &path)
{
    discard();
    m_path = path;
    m_target = path;
    m_temporary.clear();
    m_direct = false;
    m_error.clear();
    m_errorCode = 0;
    m_buffer.clear();

    const QString refusal = refusalFor(path);
    if (!refusal.isEmpty()) {
        fail(EPERM, refusal);
        return false;
    }
    QFileInfo info(path);
    if (info.isSymLink()) {
        // The file the link names is replaced; the link stays.
        const QString resolved = info.canonicalFilePath();
        m_target = resolved.isEmpty() ? info.symLinkTarget() : resolved;
        info = QFileInfo(m_target);
    }
    if (info.isDir()) {
        fail(EISDIR);
        return false;
    }
    const QString folder = info.absolutePath();
    struct stat folderStat
    {};
    if (::stat(local(folder).constData(), &folderStat) != 0) {
        fail(errno);
        return false;
    }
    struct stat old
    {};
    const bool exists = ::stat(local(m_target).constData(), &old) == 0;
    if (exists && ::access(local(m_target).constData(), W_OK) != 0) {
        // Replacing by rename would get past the file's own protection.
        fail(errno);
        return false;
    }
    if (exists && !S_ISREG(old.st_mode)) {
        // A device or a pipe (/dev/stdout) is written as it is: there is nothing to replace.
        m_fd = ::open(local(m_target).constData(), O_WRONLY | O_CLOEXEC);
        if (m_fd < 0) {
            fail(errno);
            return false;
        }
        m_direct = true;
        return true;
    }
    if (::access(local(folder).constData(), W_OK | X_OK) != 0) {
        fail(errno);
        return false;
    }

    m_fd = ::open(local(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (m_fd >= 0 && ::access("/proc/self/fd", X_OK) != 0) {
        // Without /proc the file could not be given a name later.
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_fd < 0) {
        QByteArray pattern = local(folder + u"/."_s + info.fileName()) + ".XXXXXX";
        m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (m_fd < 0) {
            fail(errno);
            return false;
        }
        m_temporary = QFile::decodeName(pattern);
        ::fchmod(m_fd, 0666 & ~currentUmask());
    }
    if (exists)
        ::fchmod(m_fd, old.st_mode & 07777);
    m_buffer.reserve(FlushSize + 16 * 1024);
    return true;
}

bool TextLineWriter::writeLine(QStringView line)
{
    if (!m_error.isEmpty() || m_fd < 0)
        return false;
    if (m_maxLine > 0 && line.size() > m_maxLine) {
        qsizetype cut = m_maxLine;
        if (line[cut - 1].isHighSurrogate())
            --cut;
        line = line.left(cut);
    }
    // Encoded straight into the buffer: no temporary per line.
    const qsizetype used = m_buffer.size();
    m_buffer.resize(used + m_encoder.requiredSpace(line.size()) + 1);
    char *end = m_encoder.appendToBuffer(m_buffer.data() + used, line);
    *end++ = '\n';
    m_buffer.truncate(end - m_buffer.constData());
    return m_buffer.size() < FlushSize || flush();
}

bool TextLineWriter::flush()
{
    qsizetype done = 0;
    while (done < m_buffer.size()) {
        const ssize_t n = ::write(m_fd, m_buffer.constData() + done, size_t(m_buffer.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        const int error = n < 0 ? errno : ENOSPC;
        m_buffer.remove(0, done); // what was not written stays for retry()
        fail(error);
        return false;
    }
    m_buffer.truncate(0); // keeps the capacity for the next lines
    return true;
}

bool TextLineWriter::retry()
{
    if (m_fd < 0)
        return false;
    m_error.clear();
    m_errorCode = 0;
    return flush();
}

bool TextLineWriter::close()
{
    if (m_fd < 0)
        return m_error.isEmpty();
    if (!m_error.isEmpty() || !flush()) {
        release();
        return false;
    }
    if (m_direct) {
        const int closed = ::close(m_fd);
        m_fd = -1;
        if (closed != 0)
            fail(errno);
        return closed == 0;
    }
    if (::fsync(m_fd) != 0 && errno != EINVAL) {
        fail(errno);
        release();
        return false;
    }
    const QString folder = QFileInfo(m_target).absolutePath();
    if (m_temporary.isEmpty()) {
        // The file has no name yet: link it under a hidden one, then rename that over the target.
        const QByteArray proc = "/proc/self/fd/" + QByteArray::number(m_fd);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QString name = folder + u"/."_s + QFileInfo(m_target).fileName() + u'.'
                                 + QString::number(::getpid()) + u'.'
                                 + QString::number(g_counter.fetch_add(1));
            if (::linkat(AT_FDCWD,
                         proc.constData(),
                         AT_FDCWD,
                         local(name).constData(),
                         AT_SYMLINK_FOLLOW)
                == 0) {
                m_temporary = name;
                break;
            }
            if (errno != EEXIST) {
                fail(errno);
                release();
                return false;
            }
        }
        if (m_temporary.isEmpty()) {
            fail(EEXIST);
            release();
            return false;
        }
    }
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0) {
        fail(errno);
        release();
        return false;
    }
    if (::rename(local(m_temporary).constData(), local(m_target).constData()) != 0) {
        fail(errno);
        release();
        return false;
    }
    m_temporary.clear();
    // The rename itself reaches the disk with the folder.
    const int dir = ::open(local(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void TextLineWriter::release()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(local(m_temporary).constData());
        m_temporary.clear();
    }
    m_buffer.clear();
}

void TextLineWriter::discard()
{
    release();
}

} // namespace pk
