// A text parsed where a pass parses its copy: on a worker with a pass worker's deep stack, without the pre-scan.
#pragma once

#include <memory>
#include <string>

#include <rapidxml/rapidxml.hpp>

#include <metadata/metadata_document.h>
#include <metadata/parse_metadata_stream.h>
#include <tesh/kit/thread_pool.h>

namespace tesh::vms_server_plugins::analytics::qv::test {

/** Parses its copy of the text (a zero byte in it ends the text there) on a worker of kDeepParseStackBytes. */
inline std::unique_ptr<MetadataDocument> parseOnADeepStack(std::string text)
{
    static kit::ThreadPool worker(1, kDeepParseStackBytes);
    return worker
        .enqueue([&text]() {
            const auto xml = std::make_unique<rapidxml::xml_document<char>>(); //< Its 64 KiB pool off the stack.
            return parseMetadataStream(text.data(), text.size(), *xml, ParseStack::deep);
        })
        .get();
}

} // namespace tesh::vms_server_plugins::analytics::qv::test
