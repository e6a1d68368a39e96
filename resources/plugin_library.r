# The plug-in library's texts.

# The plug-in categories: item n + 2 is category n (item 1 names the list). A category
# whose text begins with "(" says nothing about the plug-in.
resource 'STR#' 211 "Plug-in categories" {
  "Categories"
  "(Unknown)"
  "Effects"
  "Synths"
  "Utilities and analysis"
  "Dynamics"
  "Panners"
  "Reverbs"
  "Surround"
  "Noise reduction"
  "Delays"
  "Filters and EQ"
  "Generators"
}
