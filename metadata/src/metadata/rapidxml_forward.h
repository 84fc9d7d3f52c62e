// rapidxml's document type, declared for headers that pass a document by reference without including rapidxml.
#pragma once

namespace rapidxml {
template<class Ch>
class xml_document;
} // namespace rapidxml
