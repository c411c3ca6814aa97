#!/usr/bin/env cwl-runner
cwlVersion: v1.2
class: CommandLineTool
label: pellacor-convert
doc: |
  Turns one table of sequences (CSV, TSV, text or .xlsx; column 1 identifier, column 2
  sequence, optional column 3 description) into FASTA text, written to <table name>.fasta.
  pellacor-convert must be on the PATH where the step runs (the pellacor package puts it in
  /usr/bin). Warnings about skipped or doubtful rows go to the step's standard error.

$namespaces:
  edam: http://edamontology.org/

baseCommand: pellacor-convert
arguments:
  # -o writes through a temporary file, so a failed step leaves no partial FASTA behind.
  - prefix: -o
    valueFrom: $(inputs.table.basename).fasta

inputs:
  table:
    type: File
    doc: The table; .xlsx and .xls are read as workbooks, anything else as delimited text.
    inputBinding:
      position: 1
  line_width:
    type: int?
    doc: Residues per sequence line (default 80); 0 puts each sequence on one line.
    inputBinding:
      prefix: -w
  id_column:
    type: string?
    doc: The identifier column, a number from 1 or a header name; none numbers the records.
    inputBinding:
      prefix: --id-column
  sequence_column:
    type: string?
    doc: The sequence column, a number from 1 or a header name.
    inputBinding:
      prefix: --sequence-column
  description_column:
    type: string?
    doc: The description column, a number or a header name; none leaves it out.
    inputBinding:
      prefix: --description-column
  sheet:
    type: string?
    doc: The workbook sheet, its name or its number from 1 (default the first one not hidden).
    inputBinding:
      prefix: --sheet
  comment_char:
    type: string?
    doc: Lines of a delimited table that begin with this character are skipped.
    inputBinding:
      prefix: --comment-char

outputs:
  fasta:
    type: File
    format: edam:format_1929  # FASTA
    outputBinding:
      glob: $(inputs.table.basename).fasta
