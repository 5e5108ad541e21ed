#include "tools/zelvane_skin/SkinTool.h"

#include "imaging/Cp949Codec.h"
#include "imaging/DibDecoder.h"
#include "imaging/QX_DIB.h"
#include "toolkit/QX_Skin.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtEndian>

namespace {

constexpr int NameBytes = 24;
constexpr int EntryHeaderBytes = 4 + NameBytes;
constexpr qint64 FileHeaderBytes = 14;
constexpr qint64 MaxFileBytes = qint64(512) << 20;

// Pack names are looked up without regard to ASCII case, so two names differing only so
// would hide the second entry.
QByteArray NameKey(const QByteArray& name) {
    QByteArray key = name;
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z')
            c = char(c + ('a' - 'A'));
    }
    return key;
}

// The decoder for a whole BMP file's bytes, or null when it is not a BMP.
bool ReadableBmp(const QByteArray& file, DibDecoder* decoder) {
    if (file.size() < FileHeaderBytes || !file.startsWith("BM"))
        return false;
    *decoder = DibDecoder(QByteArrayView(file).sliced(FileHeaderBytes));
    return decoder->IsReadable();
}

QString Dimensions(const DibDecoder& d) {
    return QStringLiteral("%1\t%2\t%3").arg(d.Width()).arg(d.Height()).arg(d.BitCount());
}

} // namespace

SkinTool::SkinTool(QTextStream& out, QTextStream& err) : m_out(out), m_err(err) {}

int SkinTool::Run(const QStringList& args) {
    const QString command = args.value(0);
    if (command == QLatin1String("pack") && args.size() >= 3)
        return Pack(args.at(1), args.mid(2));
    if (command == QLatin1String("list") && args.size() == 2)
        return List(args.at(1));
    if (command == QLatin1String("check") && args.size() == 2)
        return Check(args.at(1));
    if (command == QLatin1String("colors") && args.size() == 2)
        return Colors(args.at(1));
    return Usage();
}

int SkinTool::Usage() {
    m_err << "usage: zelvane-skin pack OUT.if FILE.bmp... | list PACK | check FILE.bmp|PACK:NAME"
             " | colors FILE\n";
    m_err.flush();
    return 2;
}

QByteArray SkinTool::PackEntry(const QString& file, QByteArray* nameBytes) {
    const QString name = QFileInfo(file).fileName();
    *nameBytes = Cp949Codec::Encode(name);
    if (Cp949Codec::Decode(*nameBytes) != name) {
        m_err << file << ": the name cannot be written in code page 949\n";
        return {};
    }
    if (nameBytes->size() > NameBytes - 1) {
        m_err << file << ": the name takes " << nameBytes->size()
              << " bytes in code page 949; a pack name holds at most 23\n";
        return {};
    }
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        m_err << file << ": cannot be opened: " << in.errorString() << '\n';
        return {};
    }
    if (in.size() > MaxFileBytes) {
        m_err << file << ": too large for a skin picture\n";
        return {};
    }
    const QByteArray data = in.readAll();
    DibDecoder decoder{QByteArrayView()};
    if (!ReadableBmp(data, &decoder)) {
        m_err << file << ": not a BMP picture the program can read\n";
        return {};
    }
    QByteArray entry(EntryHeaderBytes, '\0');
    qToLittleEndian<quint32>(quint32(data.size()), entry.data());
    entry.replace(4, nameBytes->size(), *nameBytes);
    return entry + data;
}

int SkinTool::Pack(const QString& output, const QStringList& files) {
    QByteArray pack;
    QSet<QByteArray> names;
    for (const QString& file : files) {
        QByteArray name;
        const QByteArray entry = PackEntry(file, &name);
        if (entry.isEmpty())
            return 1;
        if (names.contains(NameKey(name))) {
            m_err << file << ": a picture of the same name is already in the pack\n";
            return 1;
        }
        names.insert(NameKey(name));
        pack += entry;
    }
    QSaveFile out(output);
    if (!out.open(QIODevice::WriteOnly) || out.write(pack) != pack.size() || !out.commit()) {
        m_err << output << ": cannot be written: " << out.errorString() << '\n';
        return 1;
    }
    return 0;
}

int SkinTool::List(const QString& packPath) {
    QFile in(packPath);
    if (!in.open(QIODevice::ReadOnly)) {
        m_err << packPath << ": cannot be opened: " << in.errorString() << '\n';
        return 1;
    }
    const QByteArray pack = in.readAll();
    bool clean = true;
    QSet<QByteArray> names;
    for (qsizetype pos = 0; pos < pack.size();) {
        if (pack.size() - pos < EntryHeaderBytes) {
            m_err << "offset " << pos << ": entry header cut short\n";
            clean = false;
            break;
        }
        const qint64 size = qFromLittleEndian<quint32>(pack.constData() + pos);
        const char* field = pack.constData() + pos + 4;
        const QByteArray name(field, qstrnlen(field, NameBytes));
        const QString shown = Cp949Codec::Decode(name);
        if (size > pack.size() - pos - EntryHeaderBytes) {
            m_err << shown << ": states " << size << " bytes but only "
                  << pack.size() - pos - EntryHeaderBytes << " follow\n";
            clean = false;
            break;
        }
        const QByteArray data = pack.mid(pos + EntryHeaderBytes, qsizetype(size));
        DibDecoder decoder{QByteArrayView()};
        const bool readable = ReadableBmp(data, &decoder);
        m_out << shown << '\t' << size << '\t'
              << (readable ? Dimensions(decoder) : QStringLiteral("-\t-\t-")) << '\n';
        if (name.size() == NameBytes)
            m_err << shown << ": name field not terminated\n";
        if (!readable)
            m_err << shown << ": not a BMP picture the program can read\n";
        if (names.contains(NameKey(name)))
            m_err << shown << ": hidden by an earlier entry of the same name\n";
        clean = clean && readable && name.size() < NameBytes && !names.contains(NameKey(name));
        names.insert(NameKey(name));
        pos += EntryHeaderBytes + qsizetype(size);
    }
    return clean ? 0 : 1;
}

int SkinTool::Check(const QString& target) {
    // PACK:NAME when a prefix before a colon names an existing file; otherwise a BMP path.
    if (!QFileInfo(target).isFile()) {
        for (qsizetype colon = target.indexOf(QLatin1Char(':')); colon > 0;
             colon = target.indexOf(QLatin1Char(':'), colon + 1)) {
            if (QFileInfo(target.left(colon)).isFile())
                return CheckPackEntry(target.left(colon), target.mid(colon + 1));
        }
    }
    QX_DIB dib;
    const int code = dib.LoadFile(target);
    if (code != 1) {
        m_out << code << '\n';
        return 1;
    }
    m_out << code << '\t' << Dimensions(DibDecoder(dib.Block())) << '\n';
    return 0;
}

int SkinTool::CheckPackEntry(const QString& packPath, const QString& name) {
    // The program reads its pack by a fixed name in the working directory: run from the
    // pack's folder, or from a scratch folder holding a copy under that name.
    const QFileInfo info(packPath);
    QTemporaryDir scratch;
    QString folder = info.absolutePath();
    if (info.fileName() != QX_DIB::PackFileName()) {
        folder = scratch.path();
        if (!scratch.isValid() ||
            !QFile::copy(packPath, scratch.filePath(QX_DIB::PackFileName()))) {
            m_err << packPath << ": cannot be copied to a scratch folder\n";
            return 1;
        }
    }
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder);
    QX_DIB dib;
    const int code = dib.LoadFromPack(name);
    QDir::setCurrent(previous);
    if (code != 1) {
        m_out << code << '\n';
        return 1;
    }
    m_out << code << '\t' << Dimensions(DibDecoder(dib.Block())) << '\n';
    return 0;
}

int SkinTool::Colors(const QString& path) {
    QX_Skin skin;
    const bool opened = skin.LoadUserColor(path);
    for (int slot = 0; slot < QX_COLOR_SLOTS; ++slot) {
        const COLORREF color = skin.UserColor(QX_ColorSlot(slot));
        m_out << QX_UserColorKey[slot] << '\t';
        if (color == QX_COLOR_UNSET)
            m_out << "unset\n";
        else
            m_out << "0x" << QString::number(color, 16).rightJustified(8, u'0').toUpper() << '\n';
    }
    m_out << (opened ? "opened" : "missing") << '\n';
    return opened ? 0 : 1;
}
