#pragma once

#include "platform/FileSystem.h"

#include <QStringList>
#include <functional>
#include <vector>

// The FileFacts of many files, in their order. On a cold disk nearly all of the time goes into
// waiting for each file's inode, so a few threads read at once. `afterEach` runs on the
// calling thread once for every file, in order, as its facts arrive; what it throws (a
// Cancel) stops the reading and goes on up. The first file in order that cannot be read
// raises its error, as FileFactsReader::Read does, after `afterEach` ran for the ones before.
std::vector<FileFacts> ReadFileFacts(const QStringList& paths,
                                     const std::function<void()>& afterEach = {});
