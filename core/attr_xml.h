#pragma once
// Attribute trees stored as XML documents:
//   <?xml version="1.0" standalone="yes" ?>
//   <root>
//       <object name="A">
//           <integer name="B" value="2" />
//       </object>
//   </root>
// Every attribute is an element named by its type name with the XML attributes "name" and (for
// all but objects) "value". <include file="..." /> stands for the top attribute of another file.
#include <functional>
#include <iosfwd>
#include <string>

#include "core/attr_tree.h"

class TiXmlElement;
class TiXmlNode;

namespace Attr {

// Where data files are looked up before the plain file system: given a name, fills `bytes` with
// the whole file and returns true, or returns false when it has no such file. The virtual file
// system registers itself here (bare names first, then stored paths); none is set by default.
using FileLookup = std::function<bool(const std::string& name, std::string& bytes)>;
void setFileLookup(FileLookup lookup);

// Includes nested deeper than this are not read (a file that includes itself, directly or through
// others, is stopped at once).
constexpr int kMaxIncludeDepth = 16;
// At most this many includes are read for one document, however they nest.
constexpr int kMaxIncludes = 1024;
// Documents nested deeper than this are refused before parsing.
constexpr int kMaxElementDepth = 256;
// Uncompressed documents above this size are refused.
constexpr size_t kMaxDocumentBytes = 256u << 20;

// Reads the top attribute of a document: "res://" is dropped from the name; the lookup hook is
// asked first, then the plain file system (plain or gzip), then the name with ".gz", then the name
// with its extension replaced by each word of `searchList` (" ,\t\n" separate them). The empty
// attribute when nothing could be read.
AttributePtr loadDocument(const char* fileName, const char* searchList = "");
AttributePtr loadDocument(const std::string& fileName, const std::string& searchList = std::string());
// The top attribute (the first "object" element inside the root element) of a document text.
AttributePtr parseDocument(const char* text);

// Writes the tree as a document. `compressed`: gzip, level 9. Else `filePrint`: indented, one
// node a line. Else the compact stream form. The file is replaced through a temporary file, so a
// failed save leaves the old one intact.
bool saveDocument(const char* path, const AttributePtr& attribute, bool compressed, bool filePrint);
// The compact stream form; true when the stream is good afterwards.
bool saveDocumentToStream(std::ostream& out, const AttributePtr& attribute);

// The attribute an element describes (reading includes), or the empty attribute.
AttributePtr readElement(const TiXmlElement* element);
// Appends the attribute's element as the parent's last child.
void writeElement(TiXmlNode* parent, const AttributePtr& attribute);

}  // namespace Attr
