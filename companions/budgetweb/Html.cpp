#include "Html.h"

namespace Html {

std::string escape(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string page(std::string_view title, std::string_view css, std::string_view body)
{
    std::string out;
    out.reserve(css.size() + body.size() + 256);
    out += "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>";
    // Element content needs only & and < escaped; the error page's title keeps its apostrophes.
    for (char c : title) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else out += c;
    }
    out += "</title><style>";
    out += css;
    out += "</style></head><body>";
    out += body;
    out += "</body></html>\n";
    return out;
}

std::string serverErrorPage(std::string_view path)
{
    // Same wording as the error page of an ASP.NET application rooted at /Brenvo, which is
    // what the bar looks for to send itself home.
    const std::string heading = "Server Error in '/Brenvo' Application.";
    std::string body = "<h1>" + heading + "</h1>"
        "<h2><i>Runtime Error</i></h2>"
        "<p><b>Description:</b> An unhandled error occurred while the server processed the request for "
        + escape(path) + ". It has been written to the server's log.</p>";
    return page(heading,
                "body{font-family:Verdana,sans-serif;font-size:12px;background:#fff;color:#000}"
                "h1{font-size:18px;color:#c00;font-weight:normal}h2{font-size:14px;color:#800000}",
                body);
}

std::string notFoundPage(std::string_view path)
{
    return page("Not Found",
                "body{font-family:sans-serif;font-size:12px}",
                "<h1>Not Found</h1><p>There is no page at " + escape(path) + ".</p>");
}

}  // namespace Html
