#include "Pattern.h"

#include "WildcardPattern.h"

bool MatchesPattern(const QString& name, const QString& pattern)
{
    return WildcardPattern(pattern).Matches(name);
}
