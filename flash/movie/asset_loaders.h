#pragma once
// Tag loaders for exports, imports, the stream-sound tags and metadata.
namespace flash {

class movie_definition_sub;
class swf_stream;

void export_loader(swf_stream* in, int tag_type, movie_definition_sub* m);
void import_loader(swf_stream* in, int tag_type, movie_definition_sub* m);
void sound_stream_head_loader(swf_stream* in, int tag_type, movie_definition_sub* m);
void sound_stream_block_loader(swf_stream* in, int tag_type, movie_definition_sub* m);
void metadata_loader(swf_stream* in, int tag_type, movie_definition_sub* m);

}  // namespace flash
