#pragma once
#include <string>
#include <string_view>

// Building pages: every text that came from a user or the database goes through escape().
namespace Html {

std::string escape(std::string_view text);

// A whole document: doctype, UTF-8, the title, the page's own style sheet and the body.
std::string page(std::string_view title, std::string_view css, std::string_view body);

// The standard error page of an unhandled server error: its title and first heading read
// "Server Error in '/Brenvo' Application." followed by a short description.
std::string serverErrorPage(std::string_view path);

std::string notFoundPage(std::string_view path);

}  // namespace Html
