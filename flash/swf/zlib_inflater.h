#pragma once
// A file whose reads give the inflated bytes of a zlib stream read from another file: a
// compressed movie ("CWS") is read through it exactly as a plain one. Positions count inflated
// bytes from the first compressed byte. A forward seek inflates and drops; a backward seek into the
// last 64 KiB inflated is served from memory, and only one further back starts the stream again
// from its first compressed byte. Errors are not logged: the file then reads 0
// bytes. The source is not owned; closing the adapter leaves it right after the compressed data.
namespace flash {

class bx_file;

// Size of the blocks moved from the source and of the chunks a seek inflates and drops.
constexpr int inflater_block_size = 4096;

// A new file over source, starting at the source's current position.
bx_file* make_inflater(bx_file* source);

}  // namespace flash
