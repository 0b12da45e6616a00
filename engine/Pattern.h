#pragma once

#include <QString>

// Whether the whole name matches the wildcard pattern (see WildcardPattern for the language).
// Error 93 "Invalid pattern string" for an opening bracket without its closing bracket.
bool MatchesPattern(const QString& name, const QString& pattern);
