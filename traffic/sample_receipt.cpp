#include "traffic/sample_receipt.h"

#include "files/folder_files.h"

const char* wrong_target_text(int sampling_target_state) {
    switch (sampling_target_state) {
    case 1: return "Wrong NAME";
    case 2: return "Wrong NOMINAL";
    case 3: return "Wrong NAME/NOMINAL";
    default: return nullptr;
    }
}

SampleListing sample_listing_of(const std::vector<std::string>& folder_names) {
    SampleListing listing;
    listing.names = names_with_extension(folder_names, ".bin");
    if (!listing.names.empty())
        listing.shown_name = listing.names.front();
    return listing;
}

int has_current_file(const SampleListing& listing) {
    return listing.current < listing.names.size() ? 1 : 0;
}

StoredSampleReply next_stored_sample(SampleListing& listing, const std::string& folder) {
    StoredSampleReply reply;
    reply.name = listing.shown_name;
    if (has_current_file(listing)) {
        load_stored_sample(path_in(folder, listing.names[listing.current]), reply.bytes);
        ++listing.current;
        if (has_current_file(listing))
            listing.shown_name = listing.names[listing.current];
    }
    reply.ended = !has_current_file(listing);
    return reply;
}
