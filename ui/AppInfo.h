#pragma once

#include "base/ProductInfo.h"

#include <QString>

// The About box's credit; the names, home page and version come from ProductInfo.h.
inline const QString kAuthorLine = QStringLiteral("Written by the Pendrift team at Orlenna");
