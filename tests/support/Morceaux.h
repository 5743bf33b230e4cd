#pragma once
// A device that hands out at most a few bytes a read, as a pipe or a slow
// network share does: for checking that where reads end changes nothing.
#include <QBuffer>

#include <algorithm>

namespace corvanel::test {

class Morceaux : public QBuffer {
public:
    Morceaux(QByteArray *octets, qint64 pas) : QBuffer(octets), m_pas(pas) {}

protected:
    qint64 readData(char *donnees, qint64 max) override { return QBuffer::readData(donnees, std::min(max, m_pas)); }

private:
    qint64 m_pas;
};

} // namespace corvanel::test
