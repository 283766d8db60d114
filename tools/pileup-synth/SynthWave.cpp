#include "SynthWave.h"

#include <QtEndian>

namespace {

void PutU32(QByteArray &b, quint32 v)
{
    char raw[4];
    qToLittleEndian(v, raw);
    b.append(raw, 4);
}

void PutU16(QByteArray &b, quint16 v)
{
    char raw[2];
    qToLittleEndian(v, raw);
    b.append(raw, 2);
}

quint32 U32At(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

quint16 U16At(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}

} // namespace

QByteArray SynthWave::encode(const std::vector<qint16> &samples, int sampleRate)
{
    const quint32 dataBytes = quint32(samples.size() * 2);
    QByteArray b;
    b.reserve(qsizetype(44 + dataBytes));
    b.append("RIFF", 4);
    PutU32(b, 36 + dataBytes);
    b.append("WAVE", 4);
    b.append("fmt ", 4);
    PutU32(b, 16);
    PutU16(b, 1); // PCM
    PutU16(b, 1); // mono
    PutU32(b, quint32(sampleRate));
    PutU32(b, quint32(sampleRate) * 2);
    PutU16(b, 2);
    PutU16(b, 16);
    b.append("data", 4);
    PutU32(b, dataBytes);
    const qsizetype at = b.size();
    b.resize(at + qsizetype(dataBytes));
    char *out = b.data() + at;
    for (size_t i = 0; i < samples.size(); ++i)
        qToLittleEndian(samples[i], out + 2 * i);
    return b;
}

bool SynthWave::decode(const QByteArray &bytes, int *sampleRate, std::vector<qint16> *samples)
{
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return false;
    qsizetype at = 12;
    bool formatOk = false;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const qsizetype size = qsizetype(U32At(bytes, at + 4));
        const qsizetype body = at + 8;
        if (body + size > bytes.size())
            return false;
        if (id == "fmt " && size >= 16) {
            formatOk =
                U16At(bytes, body) == 1 && U16At(bytes, body + 2) == 1 && U16At(bytes, body + 14) == 16;
            *sampleRate = int(U32At(bytes, body + 4));
        } else if (id == "data") {
            if (!formatOk)
                return false;
            samples->resize(size_t(size / 2));
            for (size_t i = 0; i < samples->size(); ++i)
                (*samples)[i] = qFromLittleEndian<qint16>(bytes.constData() + body + 2 * qsizetype(i));
            return true;
        }
        at = body + size + (size & 1);
    }
    return false;
}
