#include "tiles/resource_source.h"

#include <jerror.h>

namespace {

// What the source hands out once the resource's bytes are used up: an
// end-of-image marker, so that a truncated or damaged stream ends the decode
// (with the library's warning) instead of being read past its end.
const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

void resourceSourceNoop(j_decompress_ptr) {}

boolean resourceSourceFill(j_decompress_ptr decoder) {
    WARNMS(decoder, JWRN_JPEG_EOF);
    decoder->src->next_input_byte = kEndOfImage;
    decoder->src->bytes_in_buffer = sizeof kEndOfImage;
    return TRUE;
}

void resourceSourceSkip(j_decompress_ptr decoder, long count) {
    if (count <= 0)
        return;
    jpeg_source_mgr* src = decoder->src;
    // A segment length that runs past the end of the data ends the stream.
    if (static_cast<unsigned long>(count) > src->bytes_in_buffer) {
        resourceSourceFill(decoder);
        return;
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<size_t>(count);
}

} // namespace

void installResourceSource(j_decompress_ptr decoder, const ResourceSource* source) {
    if (decoder->src == nullptr) {
        decoder->src = static_cast<jpeg_source_mgr*>((*decoder->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(decoder), JPOOL_PERMANENT, sizeof(ResourceSourceManager)));
    }
    auto* manager = reinterpret_cast<ResourceSourceManager*>(decoder->src);
    manager->manager.init_source = resourceSourceNoop;
    manager->manager.fill_input_buffer = resourceSourceFill;
    manager->manager.skip_input_data = resourceSourceSkip;
    manager->manager.resync_to_restart = jpeg_resync_to_restart;
    manager->manager.term_source = resourceSourceNoop;
    manager->source = source;
    manager->manager.bytes_in_buffer = source->size;
    manager->manager.next_input_byte = source->data;
}
