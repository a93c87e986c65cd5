#pragma once

#include <ctime>
#include <string>

namespace pellucor::cli {

// The name tracked changes carry by default: the full name of a password
// database entry (its comment field up to the first comma), or the login
// name when that is empty. Either may hold any bytes: what a document cannot
// hold (control characters, noncharacters, bytes that are not UTF-8) is
// left out.
std::string authorOf(const std::string& comment, const std::string& login);

// authorOf the user running the program; empty when the system has no entry
// for the user.
std::string currentAuthor();

// The time as W3C date and time in UTC: 2026-12-08T09:30:00Z.
std::string utcTimestamp(std::time_t time);

} // namespace pellucor::cli
