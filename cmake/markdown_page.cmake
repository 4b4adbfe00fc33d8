# Renders a Markdown file as a page that a browser opens on its own, with cmark-gfm (GitHub's
# Markdown, tables included):
#   cmake -DRENDERER=cmark-gfm -DINPUT=README.ja.md -DOUTPUT=README.ja.html -DTITLE=... -P this
execute_process(
  COMMAND ${RENDERER} --extension table --extension autolink ${INPUT}
  OUTPUT_VARIABLE body
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${RENDERER} could not render ${INPUT}")
endif()
set(head "<!DOCTYPE html>
<html lang=\"ja\">
<head>
<meta charset=\"utf-8\">
<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">
<title>${TITLE}</title>
<style>
body { max-width: 52em; margin: 1em auto; padding: 0 1em; line-height: 1.7;
  font-family: \"Yu Gothic UI\", \"Meiryo UI\", Meiryo, sans-serif; }
table { border-collapse: collapse; }
th, td { border: 1px solid #aaa; padding: 0.2em 0.5em; }
pre, code { font-family: Consolas, \"MS Gothic\", monospace; background: #f4f4f4; }
pre { padding: 0.5em; overflow-x: auto; }
img { max-width: 100%; border: 1px solid #ccc; }
</style>
</head>
<body>
")
file(WRITE ${OUTPUT} "${head}${body}</body>\n</html>\n")
