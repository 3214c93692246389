#include "platform/cd/CdAudio.h"

#include "util/FsName.h"
#include "util/Paths.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>
#include <cstring>
#include <libudev.h>
#include <sys/stat.h>

namespace kalido::cd {

namespace {

driver_id_t driverFor(const QByteArray &path)
{
    struct stat st;
    if (path.isEmpty() || stat(path.constData(), &st) != 0)
        return DRIVER_UNKNOWN;
    if (S_ISBLK(st.st_mode))
        return DRIVER_DEVICE;
    if (!S_ISREG(st.st_mode))
        return DRIVER_UNKNOWN;
    if (ExtLower(FsDecode(path)) == u"cue")
        return DRIVER_BINCUE;
    return DRIVER_UNKNOWN;
}

bool isMsf(const QByteArray &t)
{
    const QList<QByteArray> p = t.split(':');
    if (p.size() != 3)
        return false;
    const int limits[] = {99, 59, 74};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const int v = p[i].toInt(&ok);
        if (!ok || p[i].size() > 2 || v < 0 || v > limits[i])
            return false;
    }
    return true;
}

// Splits a cue line into words; a quoted word may hold blanks. False on an unclosed quote or a
// quote glued to the next word.
bool cueWords(const QByteArray &line, QList<QByteArray> &words)
{
    words.clear();
    qsizetype i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        if (line[i] == '"') {
            const qsizetype end = line.indexOf('"', i + 1);
            if (end < 0 || (end + 1 < line.size() && line[end + 1] != ' ' && line[end + 1] != '\t'))
                return false;
            words << line.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        qsizetype end = i;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t')
            ++end;
        words << line.mid(i, end - i);
        i = end;
    }
    return true;
}

// libcdio's cue parser trusts its input (an INDEX before any TRACK crashes it), so a sheet
// reaches it only when it has the shape of one: one binary FILE before the tracks, tracks
// numbered 1, 2, 3… with known modes, each with an INDEX 01, and times in range.
bool cueSheetIsSound(const QByteArray &path)
{
    QFile file(FsDecode(path));
    if (!file.open(QIODevice::ReadOnly) || file.size() > 256 * 1024)
        return false;
    static const QList<QByteArray> modes{"AUDIO",      "CDG",        "MODE1/2048", "MODE1/2352",
                                         "MODE2/2336", "MODE2/2352", "CDI/2336",   "CDI/2352"};
    int files = 0, track = 0;
    bool hasIndex1 = true;
    QList<QByteArray> w;
    for (QByteArray line : file.readAll().split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!cueWords(line, w))
            return false;
        if (w.isEmpty())
            continue;
        const QByteArray cmd = w[0].toUpper();
        if (cmd == "REM" || ((cmd == "CATALOG" || cmd == "CDTEXTFILE" || cmd == "PERFORMER" ||
                              cmd == "TITLE" || cmd == "SONGWRITER") &&
                             w.size() == 2))
            continue;
        if (cmd == "FILE") {
            const QByteArray type = w.size() == 3 ? w[2].toUpper() : QByteArray();
            if ((type != "BINARY" && type != "MOTOROLA") || w[1].isEmpty() || track > 0 || ++files > 1)
                return false;
        } else if (cmd == "TRACK") {
            bool ok = false;
            const int n = w.size() == 3 ? w[1].toInt(&ok) : 0;
            if (!ok || files == 0 || n != track + 1 || !modes.contains(w[2].toUpper()) || !hasIndex1)
                return false;
            track = n;
            hasIndex1 = false;
        } else if (cmd == "INDEX") {
            bool ok = false;
            const int n = w.size() == 3 ? w[1].toInt(&ok) : -1;
            if (!ok || track == 0 || n < 0 || n > 99 || !isMsf(w[2]))
                return false;
            hasIndex1 = hasIndex1 || n == 1;
        } else if (cmd == "PREGAP" || cmd == "POSTGAP") {
            if (w.size() != 2 || track == 0 || !isMsf(w[1]))
                return false;
        } else if (cmd == "FLAGS" || cmd == "ISRC") {
            if (track == 0)
                return false;
        } else {
            return false;
        }
    }
    return track > 0 && hasIndex1;
}

QByteArray sourceBytes(const QString &source)
{
    QString s = source;
    while (s.size() > 1 && IsPathDelim(s.back()))
        s.chop(1);
    return FsEncode(s);
}

struct CdioDeleter
{
    void operator()(CdIo_t *p) const { cdio_destroy(p); }
};
using CdioPtr = std::unique_ptr<CdIo_t, CdioDeleter>;

CdioPtr openDisc(const QString &source)
{
    const QByteArray path = sourceBytes(source);
    const driver_id_t driver = driverFor(path);
    if (driver == DRIVER_UNKNOWN || (driver == DRIVER_BINCUE && !cueSheetIsSound(path)))
        return nullptr;
    cdio_loglevel_default = CDIO_LOG_ERROR; // libcdio's warnings about odd images are not ours to print
    return CdioPtr(cdio_open(path.constData(), driver));
}

QString trackName(int track)
{
    return QStringLiteral("Track%1.cda").arg(track, 2, 10, QChar(u'0'));
}

} // namespace

bool IsDiscSource(const QString &path)
{
    return driverFor(sourceBytes(path)) != DRIVER_UNKNOWN;
}

QStringList ListTracks(const QString &source)
{
    QStringList names;
    CdioPtr cdio = openDisc(source);
    if (!cdio)
        return names;
    const track_t first = cdio_get_first_track_num(cdio.get());
    const track_t count = cdio_get_num_tracks(cdio.get());
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK)
        return names;
    for (int t = first; t < int(first) + int(count) && t <= CDIO_CD_MAX_TRACKS; ++t)
        if (cdio_get_track_format(cdio.get(), track_t(t)) == TRACK_FORMAT_AUDIO)
            names << trackName(t);
    return names;
}

bool SplitTrackPath(const QString &path, QString &source, int &track)
{
    static const QRegularExpression name(QStringLiteral("[/\\\\]track(\\d{1,2})\\.cda$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = name.match(path);
    if (!m.hasMatch() || m.capturedStart() == 0)
        return false;
    source = path.left(m.capturedStart());
    track = m.captured(1).toInt();
    return track >= 1 && track <= CDIO_CD_MAX_TRACKS;
}

QString DriveDisplayName(const QString &device)
{
    const QString shortName = device.mid(device.lastIndexOf(u'/') + 1);
    const bool audio = !ListTracks(device).isEmpty();
    return (audio ? QStringLiteral("Audio CD (%1)") : QStringLiteral("CD Drive (%1)")).arg(shortName);
}

QList<CdDrive> ListDrives()
{
    QStringList devices;
    auto add = [&devices](const char *name) {
        if (!name)
            return;
        char resolved[PATH_MAX];
        const QString path = FsDecode(realpath(name, resolved) ? resolved : name);
        if (!devices.contains(path))
            devices << path;
    };
    if (char **list = cdio_get_devices(DRIVER_DEVICE)) {
        for (char **d = list; *d; ++d)
            add(*d);
        cdio_free_device_list(list);
    }
    // udev knows drives that libcdio's probing misses (and the other way round).
    if (udev *u = udev_new()) {
        udev_enumerate *e = udev_enumerate_new(u);
        udev_enumerate_add_match_subsystem(e, "block");
        udev_enumerate_add_match_property(e, "ID_CDROM", "1");
        udev_enumerate_scan_devices(e);
        udev_list_entry *entry;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e))
        {
            udev_device *dev = udev_device_new_from_syspath(u, udev_list_entry_get_name(entry));
            if (dev) {
                add(udev_device_get_devnode(dev));
                udev_device_unref(dev);
            }
        }
        udev_enumerate_unref(e);
        udev_unref(u);
    }
    std::sort(devices.begin(), devices.end());
    QList<CdDrive> drives;
    for (const QString &d : devices)
        if (IsDiscSource(d))
            drives.push_back({d, DriveDisplayName(d)});
    return drives;
}

struct CdTrackReader::Impl
{
    CdioPtr cdio;
    cdrom_drive_t *drive = nullptr;
    cdrom_paranoia_t *paranoia = nullptr;
    lsn_t first = 0;
    lsn_t last = -1;
    lsn_t next = 0;
    // Bytes of the current sector not handed out yet.
    char sector[CDIO_CD_FRAMESIZE_RAW];
    int sectorPos = CDIO_CD_FRAMESIZE_RAW;

    ~Impl()
    {
        if (paranoia)
            cdio_paranoia_free(paranoia);
        if (drive)
            cdio_cddap_close_no_free_cdio(drive);
    }
};

CdTrackReader::CdTrackReader(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CdTrackReader::~CdTrackReader() = default;

std::unique_ptr<CdTrackReader> CdTrackReader::Open(const QString &trackPath)
{
    QString source;
    int track = 0;
    if (!SplitTrackPath(trackPath, source, track))
        return nullptr;
    return Open(source, track);
}

std::unique_ptr<CdTrackReader> CdTrackReader::Open(const QString &source, int track)
{
    auto impl = std::make_unique<Impl>();
    impl->cdio = openDisc(source);
    if (!impl->cdio || track < 1 || track > CDIO_CD_MAX_TRACKS)
        return nullptr;
    if (cdio_get_track_format(impl->cdio.get(), track_t(track)) != TRACK_FORMAT_AUDIO)
        return nullptr;
    impl->drive = cdio_cddap_identify_cdio(impl->cdio.get(), CDDA_MESSAGE_FORGETIT, nullptr);
    if (!impl->drive || cdio_cddap_open(impl->drive) != 0)
        return nullptr;
    // Samples come as stored on the disc; guessing the byte order from the music would
    // swap perfectly good data now and then.
    impl->drive->bigendianp = 0;
    impl->first = cdio_cddap_track_firstsector(impl->drive, track_t(track));
    impl->last = cdio_cddap_track_lastsector(impl->drive, track_t(track));
    if (impl->first < 0 || impl->last < impl->first)
        return nullptr;
    impl->paranoia = cdio_paranoia_init(impl->drive);
    if (!impl->paranoia)
        return nullptr;
    cdio_paranoia_modeset(impl->paranoia, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    cdio_paranoia_seek(impl->paranoia, impl->first, SEEK_SET);
    impl->next = impl->first;
    return std::unique_ptr<CdTrackReader>(new CdTrackReader(std::move(impl)));
}

qint64 CdTrackReader::size() const
{
    return qint64(impl_->last - impl_->first + 1) * CDIO_CD_FRAMESIZE_RAW;
}

qint64 CdTrackReader::read(char *data, qint64 maxBytes)
{
    Impl &d = *impl_;
    qint64 done = 0;
    while (done < maxBytes) {
        if (d.sectorPos == CDIO_CD_FRAMESIZE_RAW) {
            if (d.next > d.last)
                break;
            int16_t *pcm = cdio_paranoia_read_limited(d.paranoia, nullptr, 3);
            if (!pcm)
                return done > 0 ? done : -1;
            std::memcpy(d.sector, pcm, CDIO_CD_FRAMESIZE_RAW);
            d.sectorPos = 0;
            ++d.next;
        }
        const qint64 n = std::min<qint64>(maxBytes - done, CDIO_CD_FRAMESIZE_RAW - d.sectorPos);
        std::memcpy(data + done, d.sector + d.sectorPos, size_t(n));
        d.sectorPos += int(n);
        done += n;
    }
    return done;
}

} // namespace kalido::cd
