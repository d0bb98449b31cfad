# Reads apt source files (one-line *.list and deb822 *.sources) and prints "URI SUITE KEYRING" for
# each enabled binary ("deb") entry that carries the main component; KEYRING is the Signed-By file,
# or "-" when the entry names none.
function flush(    n, m, i, j, u, s) {
    if (types ~ /(^| )deb( |$)/ && enabled != "no" && comps ~ /(^| )main( |$)/) {
        n = split(uris, u, " "); m = split(suites, s, " ")
        for (i = 1; i <= n; i++)
            for (j = 1; j <= m; j++)
                print u[i], s[j], (signed == "" ? "-" : signed)
    }
    types = uris = suites = comps = signed = enabled = ""
}
FNR == 1 { flush(); deb822 = FILENAME ~ /\.sources$/ }
/^[ \t]*#/ { next }
deb822 && /^[ \t]*$/ { flush(); next }
deb822 && /^[A-Za-z-]+:/ {
    field = tolower($1); sub(/:$/, "", field)
    value = $0; sub(/^[^:]+:[ \t]*/, "", value)
    if (field == "types") types = value
    else if (field == "uris") uris = value
    else if (field == "suites") suites = value
    else if (field == "components") comps = value
    else if (field == "enabled") enabled = tolower(value)
    else if (field == "signed-by" && value ~ /^\//) signed = value
    next
}
!deb822 && $1 == "deb" {
    line = $0; sub(/^[ \t]*deb[ \t]+/, "", line); opts = ""
    if (line ~ /^\[/) {
        opts = substr(line, 2, index(line, "]") - 2)
        line = substr(line, index(line, "]") + 1)
    }
    key = "-"
    if (match(opts, /signed-by=[^ \t]+/)) key = substr(opts, RSTART + 10, RLENGTH - 10)
    n = split(line, w, " ")
    for (i = 3; i <= n; i++)
        if (w[i] == "main") { print w[1], w[2], key; break }
}
END { flush() }
