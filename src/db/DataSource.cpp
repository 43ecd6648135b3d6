#include "db/DataSource.h"

#include "db/DataSet.h"

#include <algorithm>

namespace db {

DataLink::~DataLink() {
    setDataSource(nullptr);
}

void DataLink::setDataSource(DataSource *source) {
    if (source == m_source)
        return;
    if (m_source)
        m_source->removeLink(this);
    m_source = source;
    if (m_source)
        m_source->addLink(this);
    activeChanged();
}

DataSet *DataLink::dataSet() const {
    return m_source ? m_source->dataSet() : nullptr;
}

bool DataLink::active() const {
    return m_source && m_source->state() != DataSetState::Inactive;
}

bool DataLink::editing() const {
    return m_source && isEditing(m_source->state());
}

void DataLink::dataSetScrolled(int) {
    dataSetChanged();
}

void DataLink::recordChanged(Field *) {}

DataSource::DataSource(DataSet *dataSet) {
    setDataSet(dataSet);
}

DataSource::~DataSource() {
    setDataSet(nullptr);
    for (DataLink *link : std::vector<DataLink *>(m_links))
        link->m_source = nullptr;
}

void DataSource::setDataSet(DataSet *dataSet) {
    if (dataSet == m_dataSet)
        return;
    if (m_dataSet)
        m_dataSet->detach(this);
    m_dataSet = dataSet;
    if (m_dataSet)
        m_dataSet->attach(this);
    for (DataLink *link : std::vector<DataLink *>(m_links))
        link->activeChanged();
}

DataSetState DataSource::state() const {
    return m_dataSet ? m_dataSet->state() : DataSetState::Inactive;
}

void DataSource::addLink(DataLink *link) {
    m_links.push_back(link);
}

void DataSource::removeLink(DataLink *link) {
    m_links.erase(std::remove(m_links.begin(), m_links.end(), link), m_links.end());
}

} // namespace db
