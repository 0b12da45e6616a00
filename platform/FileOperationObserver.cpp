#include "platform/FileOperationObserver.h"

#include <utility>

namespace {

FileOperationObserverFactory& Factory()
{
    static FileOperationObserverFactory factory;
    return factory;
}

} // namespace

FileOperationObserverFactory SetFileOperationObserverFactory(FileOperationObserverFactory factory)
{
    return std::exchange(Factory(), std::move(factory));
}

std::unique_ptr<FileOperationObserver> NewFileOperationObserver()
{
    return Factory() ? Factory()() : nullptr;
}
