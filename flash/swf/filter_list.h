#pragma once
// Bitmap filter lists (PlaceObject3, DefineButton2 records). Filters are not drawn: a list is read
// only to step over it so that the fields behind it are read from the right place.
namespace flash {

class swf_stream;

// Reads a FILTERLIST and drops it; with the verbose parse flag each filter is named in the log.
void read_filter_list(swf_stream* in);

}  // namespace flash
