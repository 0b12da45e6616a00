#include "engine/Pattern.h"

#include "engine/WildcardPattern.h"

bool MatchesPattern(const QString& name, const QString& pattern)
{
    return WildcardPattern(pattern).Matches(name);
}
