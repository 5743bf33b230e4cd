#pragma once
// What every suite starts from: Qt's test and widget classes, the sandbox and
// the scripted seam, the program's shared state, texts and file operations,
// and a data table's columns declared and read in one line each rather than
// one line a column.
#include "commun/modDeclarations.h"
#include "fileops/Echecs.h"
#include "fileops/SystemeFichiers.h"
#include "platform/Texte.h"
#include "support/SceneFenetre.h"

#include <QtTest>
#include <QtWidgets>

#include <cerrno>
#include <tuple>

namespace corvanel::test {

template <typename... T, typename... Nom> void colonnes(Nom... noms)
{
    (QTest::addColumn<T>(noms), ...);
}
// The current row's values, as QFETCH would give them one by one.
template <typename... T, typename... Nom> std::tuple<T...> donnees(Nom... noms)
{
    return {*static_cast<T *>(QTest::qData(noms, qMetaTypeId<T>()))...};
}

} // namespace corvanel::test

using namespace corvanel;
using namespace corvanel::test;
using namespace Qt::StringLiterals;
