// Times the document-tree engine on a file: parse + indented write, either through the
// UTF-8 entry points or through UTF-16 with the conversions the pipeline makes.
// Usage: tree_timing FILE [utf8|utf16] > output
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "text/utf.h"
#include "tree/json_document.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::ifstream in(argv[1], std::ios::binary | std::ios::ate);
  std::string text(static_cast<std::size_t>(in.tellg()), '\0');
  in.seekg(0);
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  const bool utf16 = argc > 2 && std::string(argv[2]) == "utf16";
  const auto t0 = std::chrono::steady_clock::now();
  std::string out;
  try {
    if (utf16) {
      auto lap = [t = t0](const char* what) mutable {
        const auto now = std::chrono::steady_clock::now();
        std::fprintf(stderr, "  %s %.3f s\n", what, std::chrono::duration<double>(now - t).count());
        t = now;
      };
      std::u16string wide = braceform::text::UTF8ToUTF16(text);
      std::string().swap(text);
      lap("UTF8ToUTF16");
      auto doc = braceform::ParseJSONDocument(wide);
      std::u16string().swap(wide);
      lap("ParseJSONDocument");
      std::u16string wideOut = doc->AsJSON(true, false);
      lap("AsJSON");
      out = braceform::text::UTF16ToUTF8(wideOut);
      lap("UTF16ToUTF8");
    } else {
      auto doc = braceform::ParseJSONDocumentUTF8(std::move(text));
      out = doc->AsJSONUTF8(true, false);
    }
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  const auto t1 = std::chrono::steady_clock::now();
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fprintf(stderr, "%s: %.3f s, output %zu bytes\n", utf16 ? "utf16" : "utf8",
               std::chrono::duration<double>(t1 - t0).count(), out.size());
  return 0;
}
