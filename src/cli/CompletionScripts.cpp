// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CompletionScripts.h"

#include "cli/CliTable.h"

#include <set>

namespace {

// text inside single quotes of a shell.
std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string bare(const char* option) { return std::string(option).substr(2); }

std::string commandNames() {
    std::string names;
    for (const CliCommandSpec& c : CliCommands())
        names += (names.empty() ? "" : " ") + std::string(c.name);
    return names;
}

// Each word of a Words value, single-quoted for compgen.
std::string quotedWords(const char* words) {
    std::string out;
    std::string word;
    for (const char* p = words;; ++p) {
        if (*p == ' ' || *p == '\0') {
            if (!word.empty())
                out += (out.empty() ? "" : " ") + quoted(word);
            word.clear();
            if (*p == '\0')
                break;
        } else {
            word += *p;
        }
    }
    return out;
}

std::string bash() {
    std::string s = "# bash completion for vantorel-cli, made from its option table.\n\n"
                    "_vantorel_cli() {\n"
                    "    local cur prev words cword\n"
                    "    if declare -F _init_completion >/dev/null 2>&1; then\n"
                    "        _init_completion || return\n"
                    "    else\n"
                    "        cur=${COMP_WORDS[COMP_CWORD]}\n"
                    "        prev=${COMP_WORDS[COMP_CWORD-1]}\n"
                    "        words=(\"${COMP_WORDS[@]}\")\n"
                    "        cword=$COMP_CWORD\n"
                    "    fi\n"
                    "    if [[ $cword -eq 1 ]]; then\n"
                    "        COMPREPLY=($(compgen -W \"" + commandNames() + " help --help --version\" -- \"$cur\"))\n"
                    "        return\n"
                    "    fi\n"
                    "    local command=${words[1]} i\n"
                    "    if [[ $command == help ]]; then\n"
                    "        [[ $cword -eq 2 ]] && COMPREPLY=($(compgen -W \"" + commandNames() + "\" -- \"$cur\"))\n"
                    "        return\n"
                    "    fi\n"
                    "    # After \"--\" everything is an operand.\n"
                    "    for ((i = 2; i < cword; i++)); do\n"
                    "        if [[ ${words[i]} == -- ]]; then\n"
                    "            _vantorel_cli_operands \"$command\"\n"
                    "            return\n"
                    "        fi\n"
                    "    done\n";
    // The second value of the options that take two: nothing to offer.
    std::string second, none, files, folders, words;
    for (const CliOptionSpec& o : CliOptionTable()) {
        for (const CliCommandSpec& c : CliCommands()) {
            if (!(o.commands & CliBit(c.command)) || o.valueCount() == 0)
                continue;
            const std::string pattern = quoted(std::string(c.name) + " " + o.name);
            if (o.valueCount() == 2)
                second += (second.empty() ? "" : " | ") + pattern;
            switch (o.valueKind) {
            case CliValueKind::None:
                none += (none.empty() ? "" : " | ") + pattern;
                break;
            case CliValueKind::File:
                files += (files.empty() ? "" : " | ") + pattern;
                break;
            case CliValueKind::Folder:
                folders += (folders.empty() ? "" : " | ") + pattern;
                break;
            case CliValueKind::Words:
                // Never through compgen -W, which would expand "*.*" into the names here; quoted
                // as the shell must read them ("\\*.\\*").
                words += "        " + pattern + ")\n            local word\n            COMPREPLY=()\n"
                         "            for word in " + quotedWords(o.words) + "; do\n"
                         "                [[ $word == \"$cur\"* ]] && COMPREPLY+=(\"$(printf %q \"$word\")\")\n"
                         "            done\n            return\n            ;;\n";
                break;
            }
        }
    }
    s += "    if [[ $cword -ge 3 ]]; then\n"
         "        case \"$command ${words[cword-2]}\" in\n"
         "        " + second + ") return ;;\n"
         "        esac\n"
         "    fi\n"
         "    case \"$command $prev\" in\n"
         "        " + none + ") return ;;\n"
         "        " + files + ")\n"
         "            compopt -o filenames 2>/dev/null\n"
         "            COMPREPLY=($(compgen -f -- \"$cur\"))\n"
         "            return\n"
         "            ;;\n"
         "        " + folders + ")\n"
         "            compopt -o filenames 2>/dev/null\n"
         "            COMPREPLY=($(compgen -d -- \"$cur\"))\n"
         "            return\n"
         "            ;;\n" +
         words +
         "    esac\n"
         "    local options\n"
         "    case $command in\n";
    for (const CliCommandSpec& c : CliCommands()) {
        std::string options;
        std::set<std::string> seen;
        for (const CliOptionSpec* o : CliOptionsOf(c.command))
            if (seen.insert(o->name).second)
                options += std::string(options.empty() ? "" : " ") + o->name;
        if (*c.operand != '\0')
            options += " --";
        s += "        " + std::string(c.name) + ") options=\"" + options + "\" ;;\n";
    }
    s += "        *) return ;;\n"
         "    esac\n"
         "    if [[ $cur == -* ]]; then\n"
         "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
         "        return\n"
         "    fi\n"
         "    _vantorel_cli_operands \"$command\"\n"
         "}\n\n"
         "# Folders for the scans, files for the commands that read files, nothing for run numbers.\n"
         "_vantorel_cli_operands() {\n"
         "    local cur=${COMP_WORDS[COMP_CWORD]}\n"
         "    compopt -o filenames 2>/dev/null\n"
         "    case $1 in\n";
    std::string fileCommands, noneCommands;
    for (const CliCommandSpec& c : CliCommands()) {
        if (c.operandKind == CliValueKind::File)
            fileCommands += (fileCommands.empty() ? "" : " | ") + std::string(c.name);
        else if (c.operandKind == CliValueKind::None)
            noneCommands += (noneCommands.empty() ? "" : " | ") + std::string(c.name);
    }
    s += "        " + noneCommands + ") ;;\n"
         "        " + fileCommands + ") COMPREPLY=($(compgen -f -- \"$cur\")) ;;\n"
         "        *) COMPREPLY=($(compgen -d -- \"$cur\")) ;;\n"
         "    esac\n"
         "}\n\n"
         "complete -F _vantorel_cli vantorel-cli\n";
    return s;
}

// A text for zsh's _arguments: inside [...] and between colons.
std::string zshText(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '[' || c == ']' || c == ':' || c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

std::string zshAction(CliValueKind kind, const char* words) {
    switch (kind) {
    case CliValueKind::File:
        return "_files";
    case CliValueKind::Folder:
        return "_files -/";
    case CliValueKind::Words:
        return "(" + std::string(words) + ")";
    case CliValueKind::None:
        break;
    }
    return " ";
}

std::string zsh() {
    std::string s = "#compdef vantorel-cli\n"
                    "# zsh completion for vantorel-cli, made from its option table.\n\n"
                    "_vantorel-cli() {\n"
                    "  local -a commands\n"
                    "  commands=(\n";
    for (const CliCommandSpec& c : CliCommands())
        s += "    " + quoted(std::string(c.name) + ":" + c.summary) + "\n";
    s += "    'help:the help of a command'\n"
         "  )\n"
         "  if (( CURRENT == 2 )); then\n"
         "    _describe -t commands 'vantorel-cli command' commands\n"
         "    _arguments '(- *)--help[the list of commands]' '(- *)--version[the name and version]'\n"
         "    return\n"
         "  fi\n"
         "  local command=$words[2]\n"
         "  shift words\n"
         "  (( CURRENT-- ))\n"
         "  case $command in\n"
         "  help) (( CURRENT == 2 )) && _describe -t commands 'command' commands ;;\n";
    for (const CliCommandSpec& c : CliCommands()) {
        s += "  " + std::string(c.name) + ")\n    _arguments -S";
        for (const CliOptionSpec* o : CliOptionsOf(c.command)) {
            std::string spec = (o->take == nullptr ? "(- *)" : "*") + std::string(o->name) + "[" + zshText(o->help) + "]";
            std::string values = o->values;
            for (int v = 0; v < o->valueCount(); ++v) {
                const std::size_t space = values.find(' ');
                spec += ":" + zshText(values.substr(0, space)) + ":" + zshAction(o->valueKind, o->words);
                values = space == std::string::npos ? std::string() : values.substr(space + 1);
            }
            s += " \\\n      " + quoted(spec);
        }
        const std::string action = zshAction(c.operandKind, nullptr);
        if (c.command == CliCommand::Compare)
            s += " \\\n      ':OLD:_files' ':NEW:_files'";
        else if (c.operandKind != CliValueKind::None)
            s += " \\\n      " + quoted("*:" + std::string(c.operand) + ":" + action);
        s += "\n    ;;\n";
    }
    s += "  esac\n"
         "}\n\n"
         "_vantorel-cli \"$@\"\n";
    return s;
}

std::string fish() {
    const std::string all = commandNames();
    std::string s = "# fish completion for vantorel-cli, made from its option table.\n\n"
                    "complete -c vantorel-cli -f\n";
    const std::string first = "not __fish_seen_subcommand_from " + all + " help";
    for (const CliCommandSpec& c : CliCommands())
        s += "complete -c vantorel-cli -n " + quoted(first) + " -a " + c.name + " -d " + quoted(c.summary) + "\n";
    s += "complete -c vantorel-cli -n " + quoted(first) + " -a help -d 'the help of a command'\n"
         "complete -c vantorel-cli -n " + quoted(first) + " -l help -d 'the list of commands'\n"
         "complete -c vantorel-cli -n " + quoted(first) + " -l version -d 'the name and version'\n"
         "complete -c vantorel-cli -n '__fish_seen_subcommand_from help' -x -a " + quoted(all) + "\n";
    for (const CliCommandSpec& c : CliCommands()) {
        const std::string when = " -n " + quoted("__fish_seen_subcommand_from " + std::string(c.name));
        for (const CliOptionSpec* o : CliOptionsOf(c.command)) {
            s += "complete -c vantorel-cli" + when + " -l " + bare(o->name);
            switch (o->valueKind) {
            case CliValueKind::None:
                s += o->valueCount() > 0 ? " -x" : "";
                break;
            case CliValueKind::File:
                s += " -r -F";
                break;
            case CliValueKind::Folder:
                s += " -x -a '(__fish_complete_directories)'";
                break;
            case CliValueKind::Words:
                s += " -x -a " + quoted(o->words);
                break;
            }
            s += " -d " + quoted(o->help) + "\n";
        }
        if (c.operandKind == CliValueKind::File)
            s += "complete -c vantorel-cli" + when + " -F\n";
        else if (c.operandKind == CliValueKind::Folder)
            s += "complete -c vantorel-cli" + when + " -x -a '(__fish_complete_directories)'\n";
    }
    return s;
}

} // namespace

std::string CompletionScript(const std::string& shell) {
    if (shell == "bash")
        return bash();
    if (shell == "zsh")
        return zsh();
    if (shell == "fish")
        return fish();
    return {};
}
