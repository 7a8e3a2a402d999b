#pragma once

// Binary property lists that no well-behaved writer makes, written byte by byte (libplist's own
// writer recurses as deeply as its reader, so it cannot make them): the inputs of the tests and
// fuzz seeds that check the readers refuse them without exhausting the stack or memory.

#include <QByteArray>

namespace testsupport {

// A keyed archive's outer dictionary ("$archiver", "$version", "$top") whose "$objects" is an
// array holding an array holding ... depth arrays in all. 100,000 levels take about 1 MB.
QByteArray nestedBinaryPropertyList(int depth);

// rungs arrays, each holding the next one twice: tiny on disk, but 2^rungs arrays once every
// reference is parsed as a copy.
QByteArray ladderBinaryPropertyList(int rungs);

} // namespace testsupport
