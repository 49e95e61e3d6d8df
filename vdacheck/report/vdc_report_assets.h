#pragma once

#include <string_view>

// The report page's own files, embedded into the library when it is built (cmake/embed_files.cmake).
struct vdcReportAssets {
    static std::string_view page();    // the HTML, with <!--vdc:NAME--> where the writer puts the parts
    static std::string_view style();   // its style sheet
    static std::string_view script();  // its script: the table, the header and the 3-D view
    static std::string_view three();   // the 3-D library the script draws with
};
